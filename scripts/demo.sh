#!/usr/bin/env bash
# The demo: from a fresh clone to an imported road-inventory database in one command.
# Installs what is missing and builds (scripts/setup.sh), makes a sample source database and
# an empty destination under demo/, imports a few titles with road-import --save yes, shows
# the memo lines and how many rows each destination table received, then shows that the same
# titles are refused a second time.
#
# Usage: scripts/demo.sh [--no-window] [number of titles to import, default 3]
#
# At the end the import window opens on the same two files when a display is available
# (DISPLAY or WAYLAND_DISPLAY set); --no-window, or no display, prints the command instead.
#
# Every run starts over: demo/source.db and demo/dest.db are made anew, so a second run
# shows exactly what the first one showed. (The refusal of titles the destination already
# holds is shown within every run, by importing the same titles twice.)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ROAD_IMPORT_BUILD_DIR:-$here/build}"  # another build folder may be named here
demo="$here/demo"
window=1
count=3
for arg in "$@"; do
  case "$arg" in
    --no-window) window=0 ;;
    *) count=$arg ;;
  esac
done
if ! [[ "$count" =~ ^[1-6]$ ]]; then
  echo "demo: the number of titles to import must be 1 to 6" >&2
  exit 2
fi

section() { printf '\n== %s\n' "$1"; }
sql_text() { printf '%s' "${1//\'/\'\'}"; }  # a value inside '...' in SQL

section "Setting up (scripts/setup.sh: missing packages, then the build in $build)"
"$here/scripts/setup.sh" "$build"

sample="$build/sample/road-sample"
import="$build/cli/road-import"
wizard="$build/app/road-import-wizard"
source_db="$demo/source.db"
dest_db="$demo/dest.db"
before_db="$demo/.dest-before.db"
source_conn="Provider=SQLite;Location=$source_db"
dest_conn="Provider=SQLite;Location=$dest_db"

section "Making the sample databases in $demo (made anew on every run)"
mkdir -p "$demo"
"$sample" source "$source_db" --titles 6 --rows 4 --seed 1
# The destination already holds the dictionaries and territorial rows, as a working one does:
# the import finds those rows instead of copying them again.
"$sample" empty "$dest_db" --with-dictionaries
cp "$dest_db" "$before_db"

section "Titles of the source: road-import --source \"$source_conn\" --list-titles"
title_list=$("$import" --source "$source_conn" --list-titles)
printf '%s\n' "$title_list"
titles=$(head -n "$count" <<<"$title_list" | cut -f1 | paste -sd, -)

section "Importing titles $titles: road-import --source ... --dest ... --titles $titles --save yes"
echo "(standard output: the lines of the window's log memo; the questions and their answers go to standard error)"
"$import" --source "$source_conn" --dest "$dest_conn" --titles "$titles" --save yes --log "$demo/road-import.log" \
  --summary "$demo/summary.json"
echo "(the table \"Итоги импорта по таблицам\" came just before the save question; the same counts,"
echo " with the outcome and the titles, are in $demo/summary.json, written by --summary:)"
head -n 12 "$demo/summary.json"
echo "    ..."

section "Rows each destination table received"
query=""
while IFS= read -r table; do
  query+="${query:+ union all }select '$table' as table_name, (select count(*) from b.\"$table\") as before,"
  query+=" (select count(*) from a.\"$table\") as after"
done < <(sqlite3 "$dest_db" "select name from sqlite_master where type = 'table' and name not like 'sqlite_%' order by name")
sqlite3 -column -header :memory: \
  "attach '$(sql_text "$before_db")' as b; attach '$(sql_text "$dest_db")' as a;
   select table_name as \"table\", before, after, after - before as received from ($query)
   order by received desc, table_name;"
rm -f "$before_db"
echo "The dictionary and territorial tables received only the rows the destination lacked: the others"
echo "were found there by their natural columns and reused."
echo "Журнал_изменений_титула has no primary key, so the import leaves it out (see the memo)."

section "The same titles again: the destination holds them now, so the run is refused"
status=0
"$import" --source "$source_conn" --dest "$dest_conn" --titles "$titles" --save yes --log "$demo/road-import.log" || status=$?
if [ "$status" -ne 3 ]; then
  echo "demo: the second import should have been refused (exit status 3), but road-import exited with $status" >&2
  exit 1
fi
echo "road-import exit status: 3 (the run was refused, nothing was changed)"

section "The same two files in the import window"
echo "The diagnostic log of the runs is $demo/road-import.log."
wizard_command=("$wizard" --source "$source_conn" --dest "$dest_conn")
if [ "$window" -eq 1 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the wizard on both files: press \"Далее >>\" twice, tick titles not yet imported"
  echo "(the first $count are there already and would be refused), press \"Начать\"."
  "${wizard_command[@]}"
else
  [ "$window" -eq 1 ] && echo "No display is available here, so the window is not opened."
  echo "To open the wizard on both files, ready to go:"
  echo "  $wizard --source \"$source_conn\" --dest \"$dest_conn\""
fi
