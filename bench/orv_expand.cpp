// Load + expand through the OrvCalendar model, timed the same way as the
// libical and python-icalendar harnesses: read the file, then expand every
// event up to the same horizon.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "model/OrvCalendar.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orv_expand FILE.ics\n");
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "orv_expand: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream stream;
    stream << in.rdbuf();
    // The text is in memory before the clock starts, as in the libical
    // harness.
    const std::string text = stream.str();
    auto t0 = std::chrono::steady_clock::now();
    OrvCalendar calendar;
    calendar.horizon.Set(2028, 12, 10, 12, 0, 0, 0);
    calendar.LoadText(text);
    calendar.RebuildOccurrences();
    auto t1 = std::chrono::steady_clock::now();
    // A rule with UNTIL is expanded up to UNTIL, not to the horizon; the
    // other harnesses stop every rule at the horizon, so the occurrences
    // after it are counted apart for the comparison.
    int beyond = 0;
    for (OrvElement* e = calendar.occurrences.First(); e; e = e->Next()) {
        const OrvEventDate* o = static_cast<OrvEventDate*>(e);
        if (o->event->rrule.until.IsSet() && o->start > calendar.horizon) ++beyond;
    }
    std::printf("events %zu occurrences %d beyond_horizon %d seconds %.6f\n", calendar.events.size(),
                calendar.occurrences.Count(), beyond, std::chrono::duration<double>(t1 - t0).count());
    return 0;
}
