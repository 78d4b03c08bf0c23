#!/usr/bin/env bash
# Checks a built road-import package: lintian reports no error; the manual pages render
# without a warning and road-import(1) names every option of road-import --help's usage; the menu
# entry is valid; unpacked into a temporary root and run from there as root, road-import
# answers --help and makes a small SQLite import, logging to the user's state folder, and
# the unpacked usr/ is left exactly as it was.
# Usage: scripts/package-check.sh PACKAGE.deb ROAD-SAMPLE   (road-sample makes the databases)
set -euo pipefail
deb=$(realpath "$1")
sample=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

# lintian ends non-zero on errors; they are judged from its output, warnings only shown.
findings=$(lintian --info "$deb" 2>&1) || true
[ -z "$findings" ] || echo "$findings"
if grep -q '^E: ' <<<"$findings"; then fail "lintian reports errors"; fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
listing() { (cd "$root" && find usr -printf '%p %s %m %T@\n' | sort); }
usr_before=$(listing)

# Run as root (through sudo when started by another user), with a home of its own.
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
installed() {
  "${as_root[@]}" env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 "$root/usr/bin/$@"
}
installed road-import --help >"$work/help.txt" || fail "road-import --help failed"
installed road-import-wizard --help >/dev/null || fail "road-import-wizard --help failed"
"$sample" source "$work/source.db" --titles 2 --rows 2 >/dev/null
"$sample" empty "$work/dest.db" --with-dictionaries >/dev/null
installed road-import --source "Provider=SQLite;Location=$work/source.db" \
  --dest "Provider=SQLite;Location=$work/dest.db" --all-titles --save yes --key-map "$work/keys.csv" \
  >"$work/import.txt" 2>&1 || fail "the import failed: $(cat "$work/import.txt")"
[ "$(sqlite3 "$work/dest.db" 'select count(*) from Титул')" = 2 ] || fail "the titles did not arrive"
[ -s "$work/home/.local/state/road-import/road-import.log" ] || fail "no diagnostic log in the state folder"
usr_after=$(listing)
[ "$usr_before" = "$usr_after" ] ||
  fail "the run changed the unpacked usr/: $(diff <(echo "$usr_before") <(echo "$usr_after") || true)"

# The manual pages as lintian reads them.
for page in road-import road-import-wizard; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
done
page=$(zcat "$root/usr/share/man/man1/road-import.1.gz" | sed 's/\\-/-/g')
# Every option appears in the usage block that opens --help (up to its first empty line).
for option in $(sed '/^$/q' "$work/help.txt" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "$option" <<<"$page" || fail "road-import(1) does not name $option"
done

desktop-file-validate "$root/usr/share/applications/road-import-wizard.desktop" || fail "the menu entry is not valid"
echo "package-check: lintian without errors; --help and an import run as root from the unpacked package, usr/ untouched"
