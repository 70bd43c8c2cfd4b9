/* Reads a calendar file with libical and reports what libical finds wrong
 * with it: parse errors and RFC 5545 restriction violations, one per line
 * ("error: ..."), then "errors N" and "events N". Exit status 0 when the
 * file could be read, 1 when not, 2 on wrong use. */
#include <libical/ical.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char* ReadAll(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) return NULL;
    size_t size = 0, room = 65536;
    char* text = malloc(room + 1);
    size_t n;
    while (text && (n = fread(text + size, 1, room - size, file)) > 0) {
        size += n;
        if (size == room) {
            room *= 2;
            char* bigger = realloc(text, room + 1);
            if (!bigger) {
                free(text);
                text = NULL;
            }
            text = bigger;
        }
    }
    fclose(file);
    if (text) text[size] = '\0';
    return text;
}

static int Report(icalcomponent* component, int* events)
{
    int errors = 0;
    if (icalcomponent_isa(component) == ICAL_VEVENT_COMPONENT) ++*events;
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        printf("error: %s: %s\n", icalcomponent_kind_to_string(icalcomponent_isa(component)),
               icalproperty_get_xlicerror(p));
        ++errors;
    }
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        errors += Report(c, events);
    return errors;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: ics_check FILE.ics\n");
        return 2;
    }
    char* text = ReadAll(argv[1]);
    if (!text) {
        fprintf(stderr, "ics_check: cannot read %s\n", argv[1]);
        return 1;
    }
    icalerror_set_errors_are_fatal(0);
    icalcomponent* root = icalparser_parse_string(text);
    free(text);
    if (!root) {
        printf("error: nothing parsed\nerrors 1\nevents 0\n");
        return 0;
    }
    int events = 0, errors = 0, calendars = 0;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        icalrestriction_check(root);
        calendars = 1;
    } else if (icalcomponent_isa(root) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT)) {
            icalrestriction_check(c);
            ++calendars;
        }
    }
    if (calendars == 0) {
        printf("error: no VCALENDAR\n");
        ++errors;
    }
    errors += Report(root, &events);
    printf("errors %d\nevents %d\n", errors, events);
    icalcomponent_free(root);
    return 0;
}
