#!/usr/bin/env bash
# Times agendix-cal sync against a private Radicale on 127.0.0.1, each figure beside a baseline
# measured in the same run on the same server:
#   first sync of N entries          vs  the same N PUTs sent by one curl process;
#   a later sync with one change     vs  one PROPFIND by curl (Depth 1, every member's ETag,
#                                        and Depth 0, the collection's sync token).
# Usage: bench/caldav_sync.sh [N]   (default 10000; builds agendix-cal in build/bench)
# Radicale checks a new item's UID against every item of the collection, so N PUTs cost it time
# growing with N squared, the same for both sides: 10000 takes hours, 1000 a few minutes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/setup.sh"
source "$root/scripts/radicale.sh"
n="${1:-10000}"

cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DAGENDIX_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" --target agendix-cal -j"$(nproc)" >/dev/null
cal="$root/build/bench/app/cli/agendix-cal"

work="$(mktemp -d /tmp/agendix-bench-XXXXXX)"
cleanup() { stop_radicale; rm -rf "$work"; }
trap cleanup EXIT
start_radicale
auth="$AGENDIX_CALDAV_USER:$AGENDIX_CALDAV_PASSWORD"
ours="${AGENDIX_CALDAV_URL}$AGENDIX_CALDAV_USER/ours/"
base="${AGENDIX_CALDAV_URL}$AGENDIX_CALDAV_USER/baseline/"
curl -sf -u "$auth" -X MKCALENDAR "$ours" -o /dev/null
curl -sf -u "$auth" -X MKCALENDAR "$base" -o /dev/null

export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" TZ=Asia/Seoul LC_ALL=C
printf '%s\n' "$AGENDIX_CALDAV_PASSWORD" >"$work/password"
chmod 600 "$work/password"

# N entries: sixteen slots a day from 2026-01-01 on.
/usr/bin/python3 - "$n" >"$work/in.ics" <<'PY'
import datetime, sys
n = int(sys.argv[1])
out = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//agendix bench//EN"]
for i in range(n):
    day = datetime.date(2026, 1, 1) + datetime.timedelta(days=i // 16)
    h = 6 + i % 16
    d = day.strftime("%Y%m%d")
    out += ["BEGIN:VEVENT", "UID:bench-%d@agendix" % i, "DTSTAMP:20260101T000000Z",
            "DTSTART;TZID=Asia/Seoul:%sT%02d0000" % (d, h), "DTEND;TZID=Asia/Seoul:%sT%02d3000" % (d, h),
            "SUMMARY:Entry %d" % i, "DESCRIPTION:memo of entry %d" % i, "END:VEVENT"]
out.append("END:VCALENDAR")
sys.stdout.write("\r\n".join(out) + "\r\n")
PY
"$cal" import "$work/in.ics" >/dev/null
"$cal" account --url "$ours" --user "$AGENDIX_CALDAV_USER" --password-file "$work/password" >/dev/null

# The baseline's bodies are the calendars agendix-cal sends: each entry as exported, zone included.
"$cal" export "$work/all.ics" >/dev/null
/usr/bin/python3 - "$work" "$base" "$auth" <<'PY'
import os, sys
work, base, auth = sys.argv[1:4]
text = open(os.path.join(work, "all.ics"), newline="").read()
head, rest = text.split("BEGIN:VEVENT", 1)
events = ("BEGIN:VEVENT" + rest).rsplit("END:VCALENDAR", 1)[0].split("BEGIN:VEVENT")[1:]
os.makedirs(os.path.join(work, "bodies"))
with open(os.path.join(work, "curl.cfg"), "w") as cfg:
    for i, ev in enumerate(events):
        path = os.path.join(work, "bodies", "%d.ics" % i)
        open(path, "w", newline="").write(head + "BEGIN:VEVENT" + ev + "END:VCALENDAR\r\n")
        if i:
            cfg.write("next\n")
        cfg.write('url = "%sb%d.ics"\nupload-file = "%s"\nuser = "%s"\nsilent\noutput = "/dev/null"\n'
                  'header = "Content-Type: text/calendar; charset=utf-8"\nheader = "If-None-Match: *"\n'
                  'header = "Expect:"\n' % (base, i, path, auth))
PY

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); awk "BEGIN { printf \"%.3f\", $e - $s }"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

t_base1=$(seconds curl -K "$work/curl.cfg")
t_first=$(seconds "$cal" sync --json)
put_count=$(grep -c "PUT request for '/$AGENDIX_CALDAV_USER/ours/" "$AGENDIX_RADICALE_LOG" || true)

sqlite3 "$XDG_DATA_HOME/agendix/BCDEMOS.sqlite" \
  "UPDATE \"Agendix.DB\" SET TiTle = 'Changed' WHERE rowid = (SELECT min(rowid) FROM \"Agendix.DB\")"
propfind() {
  curl -sf -u "$auth" -X PROPFIND -H "Depth: $1" -H "Content-Type: application/xml" \
    --data '<propfind xmlns="DAV:"><prop><getetag/><sync-token/></prop></propfind>' "$ours"
}
t_base2=$(seconds propfind 1)
t_base0=$(seconds propfind 0)
t_one=$(seconds "$cal" sync --json)
report=$("$cal" sync --json)

echo "entries: $n (PUTs by agendix-cal: $put_count)"
echo "first sync:       agendix-cal $t_first s   curl $n PUTs $t_base1 s   ratio $(ratio "$t_first" "$t_base1")"
echo "one-change sync:  agendix-cal $t_one s   curl PROPFIND depth 1 $t_base2 s   ratio $(ratio "$t_one" "$t_base2")"
echo "                  (curl PROPFIND depth 0: $t_base0 s)"
echo "sync with nothing changed afterwards: $report"
