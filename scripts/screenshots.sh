#!/usr/bin/env bash
# Pictures of the wizard's four pages as a user sees them: the real window under Xvfb (a real
# X server with the installed fonts) on fresh sample files, the log page after a real run.
# Usage: scripts/screenshots.sh [output folder, default screenshots/]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ROAD_IMPORT_BUILD_DIR:-$here/build}"
out=$(realpath -m "${1:-$here/screenshots}")

cmake --build "$build" --parallel 2 --target wizard-screenshots road-sample >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/sample/road-sample" source "$work/source.db" --titles 6 --rows 4 --seed 1 >/dev/null
"$build/sample/road-sample" empty "$work/dest.db" --with-dictionaries >/dev/null
mkdir -p "$out"
# The log names itself after the executable; keep it out of the build folder's way.
cd "$work"
# Settings files of its own, so that what an operator saved does not change the pictures.
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
  ROAD_IMPORT_USER_REGISTRY="$work/user-registry.ini" ROAD_IMPORT_MACHINE_REGISTRY="$work/machine-registry.ini" \
  "$build/tests/wizard-screenshots" "$work/source.db" "$work/dest.db" "$out"
