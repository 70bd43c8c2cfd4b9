/* Same work as the OrvCalendar benchmark through libical: parse the file,
   then expand every event's rule up to the horizon, counting occurrences. */
#include <libical/ical.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: libical_expand FILE.ics\n");
        return 1;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f) {
        perror(argv[1]);
        return 1;
    }
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char* text = malloc(size + 1);
    if (!text || fread(text, 1, size, f) != (size_t)size) return 1;
    text[size] = 0;
    fclose(f);

    double t0 = now();
    icalcomponent* cal = icalparser_parse_string(text);
    if (!cal) {
        fprintf(stderr, "libical: cannot parse %s\n", argv[1]);
        return 1;
    }
    struct icaltimetype horizon = icaltime_from_string("20281210T120000");
    long events = 0, occurrences = 0;
    for (icalcomponent* e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        ++events;
        struct icaltimetype start = icalcomponent_get_dtstart(e);
        icalproperty* rp = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY);
        if (!rp) {
            ++occurrences;
            continue;
        }
        struct icalrecurrencetype rule = icalproperty_get_rrule(rp);
        icalrecur_iterator* it = icalrecur_iterator_new(rule, start);
        if (!it) continue;
        for (struct icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
             t = icalrecur_iterator_next(it)) {
            if (icaltime_compare(t, horizon) > 0) break;
            int skipped = 0;
            for (icalproperty* x = icalcomponent_get_first_property(e, ICAL_EXDATE_PROPERTY); x && !skipped;
                 x = icalcomponent_get_next_property(e, ICAL_EXDATE_PROPERTY))
                skipped = icaltime_compare(icalproperty_get_exdate(x), t) == 0;
            if (!skipped) ++occurrences;
        }
        icalrecur_iterator_free(it);
    }
    double t1 = now();
    printf("events %ld occurrences %ld seconds %.6f\n", events, occurrences, t1 - t0);
    icalcomponent_free(cal);
    free(text);
    return 0;
}
