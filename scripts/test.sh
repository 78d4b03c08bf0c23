#!/usr/bin/env bash
# Sets the project up (packages, build) and runs the whole test suite, with a throwaway
# PostgreSQL server for the PostgreSQL tests (stopped and removed at the end, also on failure).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$here/build"}
"$here/scripts/setup.sh" "$build"

pg_dir=""
stop_pg() { if [ -n "$pg_dir" ]; then "$here/scripts/pg-test-server.sh" stop "$pg_dir"; fi; }
trap stop_pg EXIT
if pg_env=$("$here/scripts/pg-test-server.sh" start); then
  eval "$pg_env"
  export ROAD_IMPORT_TEST_PG
  pg_dir=$ROAD_IMPORT_TEST_PG_DIR
elif [ "${CI:-}" = "true" ]; then
  echo "test: the PostgreSQL test server did not start" >&2
  exit 1
else
  echo "test: no PostgreSQL test server; the PostgreSQL tests will be skipped" >&2
fi

cd "$build"
ctest --output-on-failure --parallel 2 --timeout 300
