#!/usr/bin/env bash
# Builds the Debian package road-import_<version>_amd64.deb with CPack (a release build of its
# own, tests left out), has lintian check it, and tries it as installed: unpacked into a
# temporary root, its road-import runs --help and a small SQLite import there as root, and
# nothing may appear under the unpacked usr/ afterwards.
# Usage: scripts/package.sh [build-dir]   (default: build-package; the package is left there)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$here/build-package}")

# Besides the project's own packages, the tools only this step needs.
"$here/scripts/setup.sh" --packages-only dpkg-dev lintian desktop-file-utils man-db

# The hardened flags Debian builds its own packages with; the manual pages and the changelog
# are dated by the last commit rather than by the day of the build.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
if git -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
  export SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DROAD_IMPORT_TESTS=OFF -DROAD_IMPORT_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2
rm -f "$build"/road-import_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/road-import_*_amd64.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"

"$here/scripts/package-check.sh" "$deb" "$build/sample/road-sample"
echo "package: $deb"
