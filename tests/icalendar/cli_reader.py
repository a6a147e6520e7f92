"""agendix-cal end to end: import a file, export it, and let Python's icalendar package read
the export. Also the exit codes and that nothing is written on failure or with --dry-run."""
import datetime
import json
import os
import sqlite3
import subprocess
import sys
import tempfile
import zoneinfo

import icalendar

tool = sys.argv[1]
seoul = zoneinfo.ZoneInfo("Asia/Seoul")
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def run(*args, stdin=None, lang="C.UTF-8"):
    env = dict(os.environ, XDG_DATA_HOME=home, TZ="Asia/Seoul", LANG=lang, LC_ALL="")
    env.pop("LC_MESSAGES", None)
    return subprocess.run([tool, *args], input=stdin, capture_output=True, env=env)


def rows():
    db = os.path.join(home, "agendix", "BCDEMOS.sqlite")
    if not os.path.exists(db):
        return []
    with sqlite3.connect(db) as c:
        return c.execute('SELECT * FROM "Agendix.DB" ORDER BY rowid').fetchall()


events = [
    # uid, start (Seoul), minutes, summary, description
    ("a@x", datetime.datetime(2024, 5, 10, 9, 0), 60, "회의, 준비; 자료", "첫 줄\n둘째 줄"),
    ("b@x", datetime.datetime(2024, 5, 10, 13, 30), 90, "점심 " + "가" * 30, ""),
    ("c@x", datetime.datetime(2024, 5, 11, 21, 0), 30, 'quote " and back\\slash', "x" * 200),
]
cal = icalendar.Calendar()
cal.add("prodid", "-//test//EN")
cal.add("version", "2.0")
for uid, start, minutes, summary, description in events:
    ev = icalendar.Event()
    ev.add("uid", uid)
    ev.add("dtstamp", datetime.datetime(2024, 1, 1, tzinfo=datetime.timezone.utc))
    ev.add("dtstart", start.replace(tzinfo=seoul).astimezone(datetime.timezone.utc))
    ev.add("dtend", (start + datetime.timedelta(minutes=minutes)).replace(tzinfo=seoul).astimezone(datetime.timezone.utc))
    ev.add("summary", summary)
    if description:
        ev.add("description", description)
    cal.add_component(ev)
source = cal.to_ical()

with tempfile.TemporaryDirectory() as home:
    src = os.path.join(home, "in.ics")
    out = os.path.join(home, "out.ics")
    with open(src, "wb") as f:
        f.write(source)

    # Wrong usage and unreadable files: status 2 and 1, nothing written.
    check(run().returncode == 2, "no command gives 2")
    check(run("export", "--from", "2024-13-01", out).returncode == 2, "a bad date gives 2")
    check(run("import", "--bogus", src).returncode == 2, "an unknown option gives 2")
    r = run("import", "--json", "-", stdin=b"\x00\x01garbage")
    check(r.returncode == 1 and "error" in json.loads(r.stdout), "junk gives 1 and a JSON error")
    check(run("import", os.path.join(home, "missing.ics")).returncode == 1, "a missing file gives 1")
    check(rows() == [], "nothing written on 1 or 2")

    r = run("import", "--dry-run", "--json", src)
    check(r.returncode == 0 and json.loads(r.stdout)["imported"] == 3, "dry run counts the events")
    check(rows() == [], "a dry run writes nothing")

    r = run("import", "--json", src)
    report = json.loads(r.stdout)
    check(r.returncode == 0 and report["imported"] == 3, f"import: {r.stdout!r} {r.stderr!r}")
    check([a["uid"] for a in report["adjusted"]] == ["b@x"], "the long title is reported as adjusted")
    r = run("import", src, lang="ko_KR.UTF-8")
    check("그대로인 일정 3건" in r.stdout.decode(), f"Korean summary: {r.stdout.decode()!r}")

    r = run("export", "--json", out)
    check(r.returncode == 0 and json.loads(r.stdout) == {"exported": 3}, f"export: {r.stdout!r}")
    with open(out, "rb") as f:
        exported = icalendar.Calendar.from_ical(f.read())
    got = {e["uid"]: e for e in exported.walk("VEVENT")}
    check(sorted(got) == sorted(e[0] for e in events), "the same UIDs come back")
    for uid, start, minutes, summary, description in events:
        e = got.get(uid)
        if e is None:
            continue
        dtstart = e.decoded("dtstart")
        check(dtstart.astimezone(seoul).replace(tzinfo=None) == start, f"{uid} start {dtstart}")
        check(str(e["dtstart"].params.get("TZID")) == "Asia/Seoul", f"{uid} carries its zone")
        length = e.decoded("dtend") - dtstart
        check(length == datetime.timedelta(minutes=minutes), f"{uid} length {length}")
        if uid == "b@x":
            check(str(e["summary"]).startswith("점심 ") and len(str(e["summary"]).encode("cp949")) <= 50, "cut title")
            check(str(e["description"]).splitlines()[0] == summary, "the full title opens the memo")
        else:
            check(str(e["summary"]) == summary, f"{uid} summary {str(e['summary'])!r}")
            check(str(e.get("description", "")).rstrip("\n") == description, f"{uid} description")

    r = run("export", "--from", "2024-05-11", "-")
    only = icalendar.Calendar.from_ical(r.stdout)
    check([str(e["uid"]) for e in only.walk("VEVENT")] == ["c@x"], "export to standard output honours --from")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
