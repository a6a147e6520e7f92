#!/usr/bin/python3
"""An independent CalDAV client (python3-caldav) for the tests.

client.py URL USER PASSWORD put UID SUMMARY START END DESCRIPTION   (times "YYYY-MM-DD HH:MM", Asia/Seoul)
client.py URL USER PASSWORD list      prints one JSON object per event: uid, summary, start, end, description"""
import datetime
import json
import sys
import zoneinfo

import caldav
import icalendar

url, user, password, command = sys.argv[1:5]
calendar = caldav.DAVClient(url=url, username=user, password=password).calendar(url=url)
zone = zoneinfo.ZoneInfo("Asia/Seoul")

if command == "put":
    uid, summary, start, end, description = sys.argv[5:10]
    cal = icalendar.Calendar()
    cal.add("prodid", "-//agendix tests//python caldav//EN")
    cal.add("version", "2.0")
    ev = icalendar.Event()
    ev.add("uid", uid)
    ev.add("summary", summary)
    ev.add("dtstamp", datetime.datetime.now(datetime.timezone.utc))
    for name, text in (("dtstart", start), ("dtend", end)):
        local = datetime.datetime.strptime(text, "%Y-%m-%d %H:%M").replace(tzinfo=zone)
        ev.add(name, local.astimezone(datetime.timezone.utc))
    ev.add("description", description)
    cal.add_component(ev)
    calendar.save_event(cal.to_ical().decode())
elif command == "list":
    for item in calendar.events():
        for ev in icalendar.Calendar.from_ical(item.data).walk("VEVENT"):
            start = ev.decoded("dtstart").astimezone(zone)
            end = ev.decoded("dtend").astimezone(zone)
            print(json.dumps({"uid": str(ev.get("uid")), "summary": str(ev.get("summary")),
                              "start": start.strftime("%Y-%m-%d %H:%M"), "end": end.strftime("%Y-%m-%d %H:%M"),
                              "description": str(ev.get("description", ""))}, ensure_ascii=False))
