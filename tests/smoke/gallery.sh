#!/usr/bin/env bash
# Starts the component gallery under the test display and keeps a screenshot of it.
#   gallery.sh <folder of the programs> <screenshot folder>
set -euo pipefail
bin="$(find "$1/.." -name agendix-gallery -type f -executable | head -1)"
shots="$2"
mkdir -p "$shots"
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: scripts/test provides one"; exit 1; }
data="$(mktemp -d /tmp/agendix-gallery-XXXXXX)"
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$data"
}
trap cleanup EXIT
export XDG_DATA_HOME="$data"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
unset QT_QPA_PLATFORM
"$bin" &
pid=$!
for _ in $(seq 150); do
  xdotool search --onlyvisible --name 'Agendix' >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --onlyvisible --name 'Agendix' >/dev/null || { echo "the gallery window did not appear"; exit 1; }
sleep 3.5  # a few CPU samples
kill -0 "$pid" || { echo "the gallery ended early"; exit 1; }
import -window root "$shots/gallery.png"
echo "screenshot: $shots/gallery.png"
