#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests: a fresh data folder in a temporary directory, a
# free port on 127.0.0.1 only, password logins over TCP, run as an ordinary OS user (the server
# refuses to run as root).
#
#   scripts/pg-test-server.sh start   starts one; prints the variables the tests read:
#                                     ROAD_IMPORT_TEST_PG (connection string without a database)
#                                     ROAD_IMPORT_TEST_PG_DIR (what "stop" needs)
#   scripts/pg-test-server.sh stop DIR  stops that server and removes its folder
#
# Status 1 with a reason on standard error when no server can be started.
set -euo pipefail

server_user=roadimport-pg   # the OS account the server runs as when we are root
db_user=roadimport          # the server's superuser the tests log in as

fail() { echo "pg-test-server: $*" >&2; exit 1; }

bin_dir() {
  local dir
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$dir" ] && [ -x "$dir/initdb" ] || fail "PostgreSQL is not installed (package postgresql-15)"
  echo "$dir"
}

# Runs a command as the server's OS user.
as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$server_user" -- "$@"
  else
    "$@"
  fi
}

ensure_server_user() {
  [ "$(id -u)" -eq 0 ] || return 0
  id "$server_user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$server_user" ||
    fail "cannot create the OS user $server_user"
}

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

start() {
  local bin dir password port attempt
  bin=$(bin_dir)
  ensure_server_user
  dir=$(mktemp -d /tmp/road-import-pg.XXXXXX)
  chmod 700 "$dir"
  password=$(head -c 18 /dev/urandom | base64 | tr -d '/+=')
  printf '%s\n' "$password" > "$dir/pwfile"
  mkdir "$dir/socket"
  [ "$(id -u)" -ne 0 ] || chown -R "$server_user" "$dir"

  as_server_user "$bin/initdb" -D "$dir/data" -U "$db_user" --pwfile="$dir/pwfile" \
    --auth-local=trust --auth-host=scram-sha-256 --encoding=UTF8 --locale=C.UTF-8 \
    > "$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; rm -rf "$dir"; fail "initdb failed"; }
  rm -f "$dir/pwfile"

  # A random free port; another process may take it between the check and the start, so try again.
  for attempt in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    port_in_use "$port" && continue
    # Durability is of no use to a server that is thrown away; speed is.
    if as_server_user "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $dir/socket -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start > /dev/null 2>&1; then
      echo "ROAD_IMPORT_TEST_PG='Provider=PostgreSQL;Data Source=127.0.0.1:$port;User ID=$db_user;Password=$password'"
      echo "ROAD_IMPORT_TEST_PG_DIR='$dir'"
      return 0
    fi
  done
  tail -n 20 "$dir/server.log" >&2 || true
  rm -rf "$dir"
  fail "the server did not start"
}

stop() {
  local dir=${1:-}
  [ -n "$dir" ] && [ -d "$dir/data" ] || fail "usage: $0 stop DIR"
  as_server_user "$(bin_dir)/pg_ctl" -D "$dir/data" -m immediate -w stop > /dev/null 2>&1 || true
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop "${2:-}" ;;
  *) fail "usage: $0 start | stop DIR" ;;
esac
