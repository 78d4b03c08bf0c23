#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and builds it.
# Usage: scripts/setup.sh [build-dir]              (default: build)
#        scripts/setup.sh --packages-only [PKG...]  the packages, with PKG... besides; no build
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages_only=0
extra=()
if [ "${1:-}" = "--packages-only" ]; then
  packages_only=1
  extra=("${@:2}")
else
  build=${1:-"$here/build"}
fi

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-psql
  unixodbc-dev tdsodbc libsqlite3-dev sqlite3 libpq-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-translations-l10n
  xvfb xauth fonts-dejavu-core
  postgresql-15
  "${extra[@]}"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

[ "$packages_only" -eq 0 ] || exit 0
cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --parallel 2
