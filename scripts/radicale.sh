# A private Radicale CalDAV server on 127.0.0.1 for tests and benchmarks. Sourced, not run.
#   start_radicale   starts it on a free port with its own storage folder and a plain htpasswd file,
#                    waits until it answers, and exports AGENDIX_CALDAV_URL (the server's root),
#                    AGENDIX_CALDAV_USER, AGENDIX_CALDAV_PASSWORD and AGENDIX_RADICALE_LOG
#                    (one "<METHOD> request for '<path>'" line per request).
#   stop_radicale    ends it and removes its folder.

free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_radicale() {
  # Storage in memory when there is a tmpfs: Radicale syncs every write to disk, and test data
  # need not survive a power cut.
  local tmp=/tmp
  [ -d /dev/shm ] && [ -w /dev/shm ] && tmp=/dev/shm
  AGENDIX_RADICALE_DIR="$(mktemp -d "${AGENDIX_RADICALE_TMP:-$tmp}/agendix-radicale-XXXXXX")"
  local dir="$AGENDIX_RADICALE_DIR" user=agendix password
  password="pw-$RANDOM$RANDOM"
  printf '%s:%s\n' "$user" "$password" >"$dir/users"
  local attempt port
  for attempt in 1 2 3; do
    port="$(free_port)"
    cat >"$dir/config" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $dir/users
htpasswd_encryption = plain
[rights]
type = owner_only
[storage]
filesystem_folder = $dir/collections
[logging]
level = info
mask_passwords = True
CONF
    radicale --config "$dir/config" >"$dir/radicale.log" 2>&1 &
    AGENDIX_RADICALE_PID=$!
    local i
    for i in $(seq 100); do
      if ! kill -0 "$AGENDIX_RADICALE_PID" 2>/dev/null; then break; fi
      if curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$port/"; then
        export AGENDIX_CALDAV_URL="http://127.0.0.1:$port/"
        export AGENDIX_CALDAV_USER="$user"
        export AGENDIX_CALDAV_PASSWORD="$password"
        export AGENDIX_RADICALE_LOG="$dir/radicale.log"
        return 0
      fi
      sleep 0.1
    done
    # Port taken meanwhile or a slow start: end this one and try another port.
    kill "$AGENDIX_RADICALE_PID" 2>/dev/null || true
    wait "$AGENDIX_RADICALE_PID" 2>/dev/null || true
  done
  echo "Radicale did not start:" >&2
  cat "$dir/radicale.log" >&2
  return 1
}

stop_radicale() {
  if [ -n "${AGENDIX_RADICALE_PID:-}" ]; then
    kill "$AGENDIX_RADICALE_PID" 2>/dev/null || true
    wait "$AGENDIX_RADICALE_PID" 2>/dev/null || true
    AGENDIX_RADICALE_PID=
  fi
  if [ -n "${AGENDIX_RADICALE_DIR:-}" ]; then
    rm -rf "$AGENDIX_RADICALE_DIR"
    AGENDIX_RADICALE_DIR=
  fi
}
