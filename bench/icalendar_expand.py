#!/usr/bin/env python3
"""Same work as the OrvCalendar benchmark through python-icalendar and
dateutil: parse the file, expand every rule up to the horizon."""
import sys
import time
from datetime import datetime

from dateutil.rrule import rrulestr
from icalendar import Calendar


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    t0 = time.monotonic()
    cal = Calendar.from_ical(data)
    horizon = datetime(2028, 12, 10, 12, 0, 0)
    events = occurrences = 0
    for e in cal.walk("VEVENT"):
        events += 1
        start = e.decoded("DTSTART")
        rule = e.get("RRULE")
        if rule is None:
            occurrences += 1
            continue
        text = rule.to_ical().decode()
        excluded = set()
        ex = e.get("EXDATE")
        for group in (ex if isinstance(ex, list) else [ex] if ex is not None else []):
            excluded.update(d.dt for d in group.dts)
        for t in rrulestr(text, dtstart=start):
            if t > horizon:
                break
            if t not in excluded:
                occurrences += 1
    t1 = time.monotonic()
    print("events %d occurrences %d seconds %.6f" % (events, occurrences, t1 - t0))


if __name__ == "__main__":
    main()
