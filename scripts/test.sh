#!/usr/bin/env bash
# Sets the project up (packages, build) and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$here/build"}
"$here/scripts/setup.sh" "$build"
cd "$build"
ctest --output-on-failure --parallel 2 --timeout 300
