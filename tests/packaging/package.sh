#!/usr/bin/env bash
# Installs the build into a private root and builds the Debian package; checks what they hold with
# the validators a desktop and a Debian archive use, and starts the packaged program from its menu
# entry under the display the caller provides.
#   package.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d /tmp/agendix-package-XXXXXX)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
id=io.github.agendix.Agendix
fail() { echo "FAIL: $*" >&2; exit 1; }

# cmake --install into a DESTDIR.
root="$work/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
for f in bin/agendix bin/agendix-gallery share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/doc/agendix/copyright share/doc/agendix/changelog.gz; do
  [ -e "$root/usr/$f" ] || fail "not installed: $f"
done
# The module of the iCalendar and sync commands, where the program looks for it.
[ -n "$(find "$root/usr/lib" -path "*/agendix/modules/agendix-exchange.so")" ] || fail "not installed: the exchange module"
for s in 16 22 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${s}x${s}/apps/$id.png"
  [ "$(file -b "$png" | grep -o "$s x $s")" = "$s x $s" ] || fail "icon $s px: $(file -b "$png")"
done
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$id.metainfo.xml"
grep -q "^StartupWMClass=agendix$" "$root/usr/share/applications/$id.desktop" || fail "StartupWMClass"

# The Debian package: dependencies from the libraries linked, plus the Korean font.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >/dev/null
deb="$(ls "$work"/deb/agendix_*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for d in fonts-nanum libqt6widgets6 libsqlite3-0 libc6 libical3 libcurl; do
  grep -q "$d" <<<"$depends" || fail "package does not depend on $d"
done
dpkg-deb -c "$deb" | grep "./usr/share/applications/$id.desktop" >/dev/null || fail "desktop file not packaged"
lintian --fail-on error --suppress-tags binary-without-manpage "$deb"

# Started from its menu entry, the window carries the class the entry names.
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  dpkg-deb -x "$deb" "$work/pkg"
  exec_line="$(sed -n 's/^Exec=//p' "$work/pkg/usr/share/applications/$id.desktop")"
  XDG_DATA_HOME="$work/data" PATH="$work/pkg/usr/bin:$PATH" QT_QPA_PLATFORM=xcb $exec_line &
  pid=$!
  for _ in $(seq 100); do
    xdotool search --classname '^agendix$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdotool search --classname '^agendix$' >/dev/null 2>&1 || fail "no window of class agendix"
fi
echo "package ok: $(basename "$deb")"
