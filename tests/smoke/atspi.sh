#!/usr/bin/env bash
# Reads the real program through AT-SPI, on a private D-Bus session with its own accessibility
# bus: the main window's tree before and after an entry is saved, and the dialog's field names.
#   atspi.sh <folder of the agendix binary> <screenshot folder>
set -euo pipefail
bin="$1/agendix"
here="$(cd "$(dirname "$0")" && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: scripts/test provides one"; exit 1; }

if [ -z "${AGENDIX_IN_SESSION:-}" ]; then
  AGENDIX_IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'fd limit' >&2)
fi

data="$(mktemp -d /tmp/agendix-atspi-XXXXXX)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  rm -rf "$data"
}
trap cleanup EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
export XDG_DATA_HOME="$data" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
unset QT_QPA_PLATFORM
faketime_lib="$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime\.so' | head -1)"
LD_PRELOAD="$faketime_lib" FAKETIME='@2003-03-05 10:00:00' "$bin" &
pids+=($!)

main=""
for _ in $(seq 150); do
  main="$(xdotool search --onlyvisible --name '나의 일정관리' 2>/dev/null | head -1)" && [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "the main window did not appear"; exit 1; }
sleep 1
py=/usr/bin/python3
$py "$here/atspi_tree.py" before

# The 14:00 row opens the dialog; a title is typed and confirmed.
xdotool mousemove --window "$main" 110 238 click 1
sleep 1.5
$py "$here/atspi_tree.py" dialog
xdotool type --delay 30 "Smoke meeting"
dialog="$(xdotool search --onlyvisible --name '일정관리 다이얼로그' | head -1)"
xdotool mousemove --window "$dialog" 300 268 click 1
sleep 1.5
$py "$here/atspi_tree.py" after
