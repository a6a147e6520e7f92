#!/usr/bin/env bash
# Uses the real program with the keyboard alone: Tab round to the timetable, Down to 14:00, Enter
# opens the dialog, a title is typed, Tab to the confirm button, Enter: the entry is stored.
#   keyboard.sh <folder of the agendix binary> <screenshot folder>
set -euo pipefail
bin="$1/agendix"
shots="$2"
mkdir -p "$shots"
source "$(dirname "$0")/common.bash"

keys() {
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.15
  done
}

start_agendix "$bin" '2003-03-05 10:00:00'

main="$(wait_window '나의 일정관리')"
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.3
# The timetable holds the focus first; the tab order goes round the spinner, both calendars and
# the month summary and back to it.
keys Tab Tab Tab Tab Tab
keys Down Down Down Down Down Down Down Down
import -window root "$shots/keyboard-main.png"
keys Return
wait_window '일정관리 다이얼로그' >/dev/null
sleep 0.5
xdotool type --delay 30 "Smoke meeting"
keys Tab Tab Tab Tab
import -window root "$shots/keyboard-dialog.png"
keys Return
sleep 1.5

db="$data/agendix/BCDEMOS.sqlite"
row="$(sqlite3 "$db" 'SELECT "Year","Month","Day","Time","StartTime","EndTime","TiTle" FROM "Agendix.DB";')"
expected='2003|3|5|14|16|18|Smoke meeting'
if [ "$row" != "$expected" ]; then
  echo "stored row: '$row', expected '$expected'"
  exit 1
fi
echo "stored by keyboard: $row"
