# Shared by the smoke tests that drive the real program under the test display. Sourced.
#   start_agendix BINARY [FAKETIME]   starts it over a private data folder ($data); $pid is its id
#   wait_window TITLE                 prints the id of the visible window of that title
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: scripts/test provides one"; exit 1; }

data="$(mktemp -d /tmp/agendix-smoke-XXXXXX)"
pid=
extra_pids=()
cleanup() {
  for p in $pid "${extra_pids[@]}"; do
    kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
  rm -rf "$data"
}
trap cleanup EXIT

export XDG_DATA_HOME="$data"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0:detect_leaks=0"
unset QT_QPA_PLATFORM

# libfaketime directly rather than the faketime wrapper, so $pid is the program itself.
faketime_lib="$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime\.so' | head -1)"

start_agendix() {
  if [ -n "${2:-}" ]; then
    LD_PRELOAD="$faketime_lib" FAKETIME="@$2" "$1" &
  else
    "$1" &
  fi
  pid=$!
}

wait_window() {
  local w
  for _ in $(seq 150); do
    if w="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)" && [ -n "$w" ]; then
      echo "$w"
      return 0
    fi
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2
  return 1
}
