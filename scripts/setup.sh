# Shared set-up for scripts/run and scripts/test: installs the Debian packages Agendix needs.
# Sourced, not run.

AGENDIX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

AGENDIX_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libsqlite3-dev sqlite3
  libgtest-dev libbenchmark-dev
  fonts-nanum locales
  ibus ibus-hangul
  xvfb xdotool imagemagick faketime x11-utils
  libical-dev libcurl4-openssl-dev libxml2-dev libsecret-1-dev
  radicale python3-caldav python3-icalendar
  dbus at-spi2-core python3-pyatspi weston qt6-wayland
  desktop-file-utils appstream lintian dpkg-dev file fakeroot librsvg2-bin
  libxcb1-dev
  qt6-translations-l10n
  libfontconfig-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
  local missing=()
  for p in "${AGENDIX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # The Korean locale gives the calendars their day names.
  if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    if [ -f /etc/locale.gen ] && ! grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen; then
      echo 'ko_KR.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen >/dev/null 2>&1 || true
  fi
}

# Starts a private X server on a free display and exports DISPLAY; stop_xvfb ends it.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":${n}" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  AGENDIX_XVFB_PID=$!
  export DISPLAY=":${n}"
  for _ in $(seq 50); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${AGENDIX_XVFB_PID:-}" ]; then
    kill "$AGENDIX_XVFB_PID" 2>/dev/null || true
    wait "$AGENDIX_XVFB_PID" 2>/dev/null || true
    AGENDIX_XVFB_PID=
  fi
}

korean_locale() {
  locale -a 2>/dev/null | grep -i '^ko_KR\.utf-\?8$' | head -1
}
