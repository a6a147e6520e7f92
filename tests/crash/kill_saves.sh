#!/usr/bin/env bash
# Kills a program that saves entries through the entry dialog at random moments, again and again,
# then checks the data folder: the database is sound, every save that returned is there (or a
# later one of its slot), every memo file holds one whole text of its slot no older than the last
# returned save, and no temporary file survives the next start.
#   kill_saves.sh <agendix_save_loop>      AGENDIX_KILLS=200 for a long trial (default 25)
set -euo pipefail
loop="$1"
kills="${AGENDIX_KILLS:-25}"
data="$(mktemp -d /tmp/agendix-kill-XXXXXX)"
trap 'rm -rf "$data"' EXIT
export XDG_DATA_HOME="$data" QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
log="$data/saved.log"
: >"$log"
next=0
for k in $(seq "$kills"); do
  out="$data/run.out"
  "$loop" "$next" >"$out" 2>"$data/run.err" &
  pid=$!
  for _ in $(seq 200); do grep -q ready "$out" 2>/dev/null && break; sleep 0.02; done
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep '^saved ' "$out" >>"$log" || true
  next=$((next + 1000))
done
"$loop" --start
python3 - "$data/agendix" "$log" "$kills" <<'PY'
import os, re, sqlite3, sys
folder, log, kills = sys.argv[1], sys.argv[2], int(sys.argv[3])
last = {}
for line in open(log):
    _, slot, n = line.split()
    last[slot] = max(last.get(slot, -1), int(n))
db = sqlite3.connect(os.path.join(folder, "BCDEMOS.sqlite"))
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok", "integrity_check failed"
rows = db.execute('SELECT "Time", "TiTle", "MemoFile", count(*) OVER (PARTITION BY "Year","Month","Day","Time") FROM "Agendix.DB"').fetchall()
stored = {}
for time, title, memo, count in rows:
    assert count == 1, f"slot {time} holds {count} records"
    stored[time] = (int(title.split()[1]), memo)
temp = os.path.join(folder, "drive_c", "Temp")
for slot, n in last.items():
    assert slot in stored, f"the save {n} of {slot}:00 returned but its row is gone"
    have, memo = stored[slot]
    assert have >= n, f"{slot}:00 holds save {have}, older than the returned save {n}"
    text = open(os.path.join(temp, memo), "rb").read().decode("cp949")
    m = re.fullmatch(r"memo (\d+)\r\nsecond line of (\d+)\r\n", text)
    assert m and m.group(1) == m.group(2), f"memo of {slot}:00 is torn: {text!r}"
    assert int(m.group(1)) >= n, f"memo of {slot}:00 is older than the returned save {n}"
left = [f for f in os.listdir(temp) if re.fullmatch(r".+\.tmp[A-Za-z0-9]{6}", f)]
assert not left, f"temporaries survived the next start: {left}"
print(f"{kills} kills, {sum(1 for _ in open(log))} returned saves, {len(stored)} slots: all sound")
PY
