#!/usr/bin/env bash
# Starts the real program on a fixed date under the test display, opens the 14:00 row, types a
# title, confirms, and checks the stored row. Then a second start on the same data folder must
# bring the first window to the front and end; the context menu exports to a file; and after a normal end (SIGTERM, as a session
# logging out sends) the database file alone, copied elsewhere, must hold the entry. Keeps
# screenshots of both windows.
#   agendix.sh <folder of the agendix binary> <screenshot folder>
set -euo pipefail
bin="$1/agendix"
shots="$2"
mkdir -p "$shots"
source "$(dirname "$0")/common.bash"

start_agendix "$bin" '2003-03-05 10:00:00'

main="$(wait_window '나의 일정관리')"
sleep 1
import -window root "$shots/agendix-main-empty.png"

# The 14:00 row: its entry label lies at (48, 232) in the left panel, 130 x 13.
xdotool mousemove --window "$main" 110 238 click 1
dialog="$(wait_window '일정관리 다이얼로그')"
sleep 0.5
xdotool type --delay 30 "Smoke meeting"
sleep 0.3
import -window root "$shots/agendix-dialog.png"
# The confirm button: 264, 256, 75 x 25 in the dialog.
xdotool mousemove --window "$dialog" 300 268 click 1
sleep 1.5
import -window root "$shots/agendix-main.png"

db="$data/agendix/BCDEMOS.sqlite"
row="$(sqlite3 "$db" 'SELECT "Year","Month","Day","Time","StartTime","EndTime","TiTle","MemoFile" FROM "Agendix.DB";')"
expected='2003|3|5|14|16|18|Smoke meeting|20033514.txt'
if [ "$row" != "$expected" ]; then
  echo "stored row: '$row', expected '$expected'"
  exit 1
fi
memo="$data/agendix/drive_c/Temp/20033514.txt"
[ -f "$memo" ] || { echo "memo file $memo missing"; exit 1; }

# Another program has the focus; a second start gives it back to the first window and ends.
xmessage -title "another program" "another program" &
extra_pids+=($!)
away="$(wait_window 'another program')"
xdotool windowfocus --sync "$away"
# Meanwhile another writer files 15:00; the window shows it once the user is back.
row15() { import -window "$main" -crop 130x13+48+256 -format '%[fx:mean]' info:; }
before="$(row15)"
sqlite3 "$db" "INSERT INTO \"Agendix.DB\" VALUES ('2003','3','5','15','18','20','Written elsewhere','20033515.txt');"
LD_PRELOAD="$faketime_lib" FAKETIME='@2003-03-05 10:00:00' timeout 30 "$bin" || {
  echo "the second start ended with status $?"
  exit 1
}
sleep 0.5
focus="$(xdotool getwindowfocus)"
if [ "$focus" != "$main" ]; then
  echo "after the second start the focus is on window $focus, not on the main window $main"
  exit 1
fi
[ "$(xdotool search --onlyvisible --name '나의 일정관리' | wc -l)" -eq 1 ] || { echo "two main windows"; exit 1; }
sleep 0.5
[ "$(row15)" != "$before" ] || { echo "back in the window, the 15:00 row still looks free"; exit 1; }

# The context menu's export, from the keyboard: its commands live in a module loaded now.
xdotool key --window "$main" Menu
sleep 0.5
xdotool key Down Return
saving="$(wait_window 'iCalendar 파일로 내보내기')"
ics="$data/out.ics"
xdotool key --window "$saving" ctrl+a
xdotool type --delay 20 "$ics"
xdotool key Return
# The summary that follows carries the file dialog's title: wait for a window other than the dialog.
summary=
for _ in $(seq 150); do
  summary="$(xdotool search --onlyvisible --name '^iCalendar 파일로 내보내기$' 2>/dev/null | grep -vx "$saving" | head -1)" || true
  [ -n "$summary" ] && break
  sleep 0.1
done
[ -n "$summary" ] || { echo "no summary after the export"; exit 1; }
grep -q 'SUMMARY:Smoke meeting' "$ics" || { echo "the export from the context menu wrote no 'Smoke meeting' to $ics"; exit 1; }
xdotool key Return

# A normal end leaves every entry in the database file itself.
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { echo "the program ended with status $status after SIGTERM"; exit 1; }
copy="$(mktemp -d /tmp/agendix-copy-XXXXXX)"
cp "$db" "$copy/"
copied="$(sqlite3 "$copy/BCDEMOS.sqlite" 'SELECT group_concat("TiTle", ",") FROM "Agendix.DB";')"
rm -rf "$copy"
[ "$copied" = "Smoke meeting,Written elsewhere" ] || { echo "a copy of BCDEMOS.sqlite alone holds '$copied'"; exit 1; }
echo "stored: $row; second start handed over; the copied database holds the entry; screenshots in $shots"
