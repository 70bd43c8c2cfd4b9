#!/usr/bin/env python3
"""Prints the events of a calendar file as python-icalendar reads them, one
JSON line each, sorted, with times as instants (UTC) where they have a zone:
UID, RECURRENCE-ID, SUMMARY, DESCRIPTION, LOCATION, start, end, all-day,
RRULE, EXDATE, RDATE and the alarms' actions and triggers. Two files with
the same events print the same lines."""
import datetime
import json
import re
import sys

import icalendar


def instant(value):
    if isinstance(value, datetime.datetime):
        if value.tzinfo is not None:
            return value.astimezone(datetime.timezone.utc).strftime("%Y%m%dT%H%M%SZ")
        return value.strftime("%Y%m%dT%H%M%S")
    if isinstance(value, datetime.date):
        return value.strftime("%Y%m%d")
    if isinstance(value, datetime.timedelta):
        return "duration %d" % value.total_seconds()
    return str(value)


def times(prop):
    if prop is None:
        return []
    props = prop if isinstance(prop, list) else [prop]
    found = []
    for p in props:
        for d in p.dts:
            found.append(instant(d.dt))
    return sorted(found)


def text(component, name):
    value = component.get(name)
    return None if value is None else str(value)


def rule(component):
    value = component.get("RRULE")
    if value is None:
        return None
    parts = {}
    for key, values in value.items():
        parts[key] = [instant(v) if key == "UNTIL" else str(v) for v in values]
    return parts


def event(component):
    start = component.get("DTSTART")
    start_value = start.dt if start is not None else None
    all_day = isinstance(start_value, datetime.date) and not isinstance(start_value, datetime.datetime)
    if component.get("DTEND") is not None:
        end_value = component.get("DTEND").dt
    elif component.get("DURATION") is not None:
        end_value = start_value + component.get("DURATION").dt
    elif all_day:
        end_value = start_value + datetime.timedelta(days=1)
    else:
        end_value = start_value
    alarms = sorted(
        (str(a.get("ACTION")), instant(a.get("TRIGGER").dt) if a.get("TRIGGER") is not None else None)
        for a in component.walk("VALARM"))
    rid = component.get("RECURRENCE-ID")
    return {
        "uid": text(component, "UID"),
        "recurrence-id": instant(rid.dt) if rid is not None else None,
        "summary": text(component, "SUMMARY"),
        "description": text(component, "DESCRIPTION"),
        "location": text(component, "LOCATION"),
        "start": instant(start_value) if start_value is not None else None,
        "end": instant(end_value) if end_value is not None else None,
        "all-day": all_day,
        "rrule": rule(component),
        "exdate": times(component.get("EXDATE")),
        "rdate": times(component.get("RDATE")),
        "alarms": alarms,
    }


def main():
    data = open(sys.argv[1], "rb").read()
    # Unfolded as bytes first: a fold may split a UTF-8 character.
    data = re.sub(rb"\r?\n[ \t]", b"", data)
    calendar = icalendar.Calendar.from_ical(data.decode("utf-8"))
    lines = [json.dumps(event(c), sort_keys=True, ensure_ascii=False) for c in calendar.walk("VEVENT")]
    for line in sorted(lines):
        print(line)


if __name__ == "__main__":
    main()
