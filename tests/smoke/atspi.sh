#!/usr/bin/env bash
# Reads the real program through AT-SPI, on a private D-Bus session with its own accessibility
# bus: the main window's tree before and after an entry is saved, and the dialog's field names.
#   atspi.sh <folder of the agendix binary> <screenshot folder>
set -euo pipefail
bin="$1/agendix"
here="$(cd "$(dirname "$0")" && pwd)"

if [ -z "${AGENDIX_IN_SESSION:-}" ]; then
  AGENDIX_IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'fd limit' >&2)
fi

source "$here/common.bash"

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
extra_pids+=($!)
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_agendix "$bin" '2003-03-05 10:00:00'
main="$(wait_window '나의 일정관리')"
sleep 1
py=/usr/bin/python3
$py "$here/atspi_tree.py" before

# The 14:00 row opens the dialog; a title is typed and confirmed.
xdotool mousemove --window "$main" 110 238 click 1
sleep 1.5
$py "$here/atspi_tree.py" dialog
xdotool type --delay 30 "Smoke meeting"
dialog="$(wait_window '일정관리 다이얼로그')"
xdotool mousemove --window "$dialog" 300 268 click 1
sleep 1.5
$py "$here/atspi_tree.py" after
