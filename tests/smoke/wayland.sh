#!/usr/bin/env bash
# Starts the real program on Wayland: a private headless weston, the program with Qt's wayland
# platform, and a screenshot taken through weston's screenshooter once the window shows its blue
# month captions.
#   wayland.sh <folder of the agendix binary> <screenshot folder>
set -euo pipefail
bin="$1/agendix"
shots="$(mkdir -p "$2" && cd "$2" && pwd)"

runtime="$(mktemp -d /tmp/agendix-wayland-XXXXXX)"
chmod 700 "$runtime"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=agendix-test
unset DISPLAY
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
  --debug --idle-time=0 >"$runtime/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$runtime/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$runtime/$WAYLAND_DISPLAY" ] || { cat "$runtime/weston.log"; echo "weston did not start"; exit 1; }

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
mkdir -p "$runtime/data"
XDG_DATA_HOME="$runtime/data" QT_QPA_PLATFORM=wayland "$bin" >"$runtime/agendix.log" 2>&1 &
pids+=($!)

shot="$shots/agendix-wayland.png"
for _ in $(seq 40); do
  sleep 0.5
  kill -0 "${pids[1]}" 2>/dev/null || { cat "$runtime/agendix.log"; echo "agendix ended"; exit 1; }
  rm -f "$runtime"/wayland-screenshot*.png
  (cd "$runtime" && timeout 10 weston-screenshooter >/dev/null 2>&1) || continue
  png="$(ls "$runtime"/wayland-screenshot*.png 2>/dev/null | head -1)"
  [ -n "$png" ] || continue
  # The month and day captions are pure blue text.
  blue="$(convert "$png" -fill black +opaque '#0000ff' -fill white -opaque '#0000ff' -format '%[fx:int(mean*w*h)]' info:)"
  if [ "$blue" -gt 50 ]; then
    cp "$png" "$shot"
    echo "agendix on Wayland: $blue blue caption pixels; screenshot $shot"
    exit 0
  fi
done
echo "no window with its captions appeared on Wayland"
cat "$runtime/agendix.log"
exit 1
