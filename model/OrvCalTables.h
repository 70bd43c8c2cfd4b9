// Fixed name/number tables of the calendar model: component kinds, property
// kinds, parameter kinds, value types and event transparency. Lookups compare
// whole names case-sensitively and yield 0 for an unknown name; every table
// ends with a row of number 0 and an empty name.
#pragma once

#include <string_view>

struct OrvCalTableRow {
    const char* name;
    int number;
};

// Component kinds (also the class ids of the component classes).
enum {
    ORV_DAYLIGHT = 10026,
    ORV_STANDARD = 10027,
    ORV_VALARM = 10028,
    ORV_VCALENDAR = 10029,
    ORV_VEVENT = 10030,
    ORV_VFREEBUSY = 10031,
    ORV_VJOURNAL = 10032,
    ORV_VTIMEZONE = 10033,
    ORV_VTODO = 10034,
};

// Property kinds.
enum {
    ORVP_CALSCALE = 1, ORVP_METHOD, ORVP_PRODID, ORVP_VERSION, ORVP_ATTACH, ORVP_CATEGORIES, ORVP_CLASS,
    ORVP_COMMENT, ORVP_DESCRIPTION, ORVP_GEO, ORVP_LOCATION, ORVP_PERCENT_COMPLETE, ORVP_PRIORITY,
    ORVP_RESOURCES, ORVP_STATUS, ORVP_SUMMARY, ORVP_COMPLETED, ORVP_DTEND, ORVP_DUE, ORVP_DTSTART,
    ORVP_DURATION, ORVP_FREEBUSY, ORVP_TRANSP, ORVP_TZID, ORVP_TZNAME, ORVP_TZOFFSETFROM, ORVP_TZOFFSETTO,
    ORVP_TZURL, ORVP_ATTENDEE, ORVP_CONTACT, ORVP_ORGANIZER, ORVP_RECURRENCE_ID, ORVP_RELATED_TO, ORVP_URL,
    ORVP_UID, ORVP_EXDATE, ORVP_EXRULE, ORVP_RDATE, ORVP_RRULE, ORVP_ACTION, ORVP_REPEAT, ORVP_TRIGGER,
    ORVP_CREATED, ORVP_DTSTAMP, ORVP_LAST_MODIFIED, ORVP_SEQUENCE, ORVP_REQUEST_STATUS, ORVP_BEGIN, ORVP_END,
    ORVP_CALNAME, ORVP_SCENES, ORVP_CATEGORIES_EXT, ORVP_EVENTID, ORVP_LOCATION_EXT, ORVP_COST,
    ORVP_COSTTABLE, ORVP_ORGANIZER_EXT, ORVP_DJ, ORVP_GUEST, ORVP_LESSON, ORVP_PUBLISH, ORVP_IMAGE, ORVP_FILE,
    ORVP_HIGHLIGHTS, ORVP_PROGRAM, ORVP_SLOGAN, ORVP_USER, ORVP_USERCATEGORY, ORVP_DOWNLOAD,
    ORVP_SUPRAREGIONAL,
};

// Parameter kinds (only the ones the model looks at).
enum { ORVPARAM_TZID = 19, ORVPARAM_VALUE = 20 };

// Value types (only DATE changes behaviour).
enum { ORVVALUE_DATE = 4, ORVVALUE_DATE_TIME = 5, ORVVALUE_PERIOD = 9 };

// Time transparency of an event.
enum { ORV_TRANSPARENT = 1, ORV_OPAQUE = 2 };

const OrvCalTableRow* OrvComponentKindTable();
const OrvCalTableRow* OrvPropertyKindTable();
const OrvCalTableRow* OrvParameterKindTable();
const OrvCalTableRow* OrvValueTypeTable();
const OrvCalTableRow* OrvTransparencyTable();

// Whole-name lookups: 0 when the name is not in the table.
int OrvPropertyKind(const char* name);
int OrvPropertyKind(std::string_view name);
int OrvParameterKind(const char* name);
int OrvValueType(const char* name);
int OrvTransparency(const char* name);
// Leading blanks are skipped; the first row that begins with the rest of
// the text wins (so "" finds "VCALENDAR").
int OrvComponentKind(const char* name);

// Name of a number in a table; "" when the number is not there.
const char* OrvTableName(const OrvCalTableRow* table, int number);
