#include "model/OrvCalTables.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

const OrvCalTableRow kComponents[] = {
    {"VCALENDAR", ORV_VCALENDAR}, {"VEVENT", ORV_VEVENT},     {"VTODO", ORV_VTODO},
    {"VJOURNAL", ORV_VJOURNAL},   {"VFREEBUSY", ORV_VFREEBUSY}, {"VTIMEZONE", ORV_VTIMEZONE},
    {"VALARM", ORV_VALARM},       {"STANDARD", ORV_STANDARD}, {"DAYLIGHT", ORV_DAYLIGHT},
    {"", 0},
};

// Table order: the extension rows do not stand in numeric order.
const OrvCalTableRow kProperties[] = {
    {"CALSCALE", 1},          {"METHOD", 2},
    {"PRODID", 3},            {"VERSION", 4},
    {"ATTACH", 5},            {"CATEGORIES", 6},
    {"CLASS", 7},             {"COMMENT", 8},
    {"DESCRIPTION", 9},       {"GEO", 10},
    {"LOCATION", 11},         {"PERCENT-COMPLETE", 12},
    {"PRIORITY", 13},         {"RESOURCES", 14},
    {"STATUS", 15},           {"SUMMARY", 16},
    {"COMPLETED", 17},        {"DTEND", 18},
    {"DUE", 19},              {"DTSTART", 20},
    {"DURATION", 21},         {"FREEBUSY", 22},
    {"TRANSP", 23},           {"TZID", 24},
    {"TZNAME", 25},           {"TZOFFSETFROM", 26},
    {"TZOFFSETTO", 27},       {"TZURL", 28},
    {"ATTENDEE", 29},         {"CONTACT", 30},
    {"ORGANIZER", 31},        {"RECURRENCE-ID", 32},
    {"RELATED-TO", 33},       {"URL", 34},
    {"UID", 35},              {"EXDATE", 36},
    {"EXRULE", 37},           {"RDATE", 38},
    {"RRULE", 39},            {"ACTION", 40},
    {"REPEAT", 41},           {"TRIGGER", 42},
    {"CREATED", 43},          {"DTSTAMP", 44},
    {"LAST-MODIFIED", 45},    {"SEQUENCE", 46},
    {"REQUEST-STATUS", 47},   {"BEGIN", 48},
    {"END", 49},              {"CALNAME", 50},
    {"X-ORV-EVENTID", 53},    {"X-ORV-SCENES", 51},
    {"X-ORV-CATEGORIES", 52}, {"X-ORV-LOCATION", 54},
    {"X-ORV-COST", 55},       {"X-ORV-COSTTABLE", 56},
    {"X-ORV-ORGANIZER", 57},  {"X-ORV-DJ", 58},
    {"X-ORV-GUEST", 59},      {"X-ORV-LESSON", 60},
    {"X-ORV-IMAGE", 62},      {"X-ORV-FILE", 63},
    {"X-ORV-PUBLISH", 61},    {"X-ORV-PROGRAM", 65},
    {"X-ORV-HIGHLIGHTS", 64}, {"X-ORV-SLOGAN", 66},
    {"X-ORV-USER", 67},       {"X-ORV-USERCATEGORY", 68},
    {"X-ORV-DOWNLOAD", 69},   {"X-ORV-SUPRAREGIONAL", 70},
    {"", 0},
};

const OrvCalTableRow kParameters[] = {
    {"ALTREP", 1},        {"CN", 2},        {"CUTYPE", 3},    {"DELEGATED-FROM", 4}, {"DELEGATED-TO", 5},
    {"DIR", 6},           {"ENCODING", 7},  {"FMTTYPE", 8},   {"FBTYPE", 9},         {"LANGUAGE", 10},
    {"MEMBER", 11},       {"PARTSTAT", 12}, {"RANGE", 13},    {"RELATED", 14},       {"RELTYPE", 15},
    {"ROLE", 16},         {"RSVP", 17},     {"SENT-BY", 18},  {"TZID", 19},          {"VALUE", 20},
    {"", 0},
};

const OrvCalTableRow kValueTypes[] = {
    {"BINARY", 1}, {"BOOLEAN", 2}, {"CAL-ADDRESS", 3}, {"DATE", 4}, {"DATE-TIME", 5},
    {"DURATION", 6}, {"FLOAT", 7}, {"INTEGER", 8}, {"PERIOD", 9}, {"RECUR", 10},
    {"TEXT", 11}, {"TIME", 12}, {"URI", 13}, {"OFFSET", 14}, {"", 0},
};

const OrvCalTableRow kTransparency[] = {{"TRANSPARENT", 1}, {"OPAQUE", 2}, {"", 0}};

int WholeName(const OrvCalTableRow* table, const char* name)
{
    if (!name || !*name) return 0;
    for (const OrvCalTableRow* row = table; row->number; ++row)
        if (std::strcmp(row->name, name) == 0) return row->number;
    return 0;
}

// The same lookup through a hash of the table, built once: the reader asks
// for every line of a file.
int HashedName(const OrvCalTableRow* table, std::string_view name)
{
    using Index = std::unordered_map<std::string_view, int>;
    static const Index properties = [] {
        Index index;
        for (const OrvCalTableRow* row = kProperties; row->number; ++row) index.emplace(row->name, row->number);
        return index;
    }();
    static const Index parameters = [] {
        Index index;
        for (const OrvCalTableRow* row = kParameters; row->number; ++row) index.emplace(row->name, row->number);
        return index;
    }();
    const Index& index = table == kProperties ? properties : parameters;
    auto found = index.find(name);
    return found == index.end() ? 0 : found->second;
}

}  // namespace

int OrvPropertyKind(std::string_view name) { return name.empty() ? 0 : HashedName(kProperties, name); }

const OrvCalTableRow* OrvComponentKindTable() { return kComponents; }
const OrvCalTableRow* OrvPropertyKindTable() { return kProperties; }
const OrvCalTableRow* OrvParameterKindTable() { return kParameters; }
const OrvCalTableRow* OrvValueTypeTable() { return kValueTypes; }
const OrvCalTableRow* OrvTransparencyTable() { return kTransparency; }

int OrvPropertyKind(const char* name) { return name ? OrvPropertyKind(std::string_view(name)) : 0; }
int OrvParameterKind(const char* name) { return name && *name ? HashedName(kParameters, name) : 0; }
int OrvValueType(const char* name) { return WholeName(kValueTypes, name); }
int OrvTransparency(const char* name) { return WholeName(kTransparency, name); }

int OrvComponentKind(const char* name)
{
    if (!name) return 0;
    while (*name == ' ') ++name;
    size_t length = std::strlen(name);
    for (const OrvCalTableRow* row = kComponents; row->number; ++row)
        if (std::strncmp(row->name, name, length) == 0) return row->number;
    return 0;
}

const char* OrvTableName(const OrvCalTableRow* table, int number)
{
    if (number == 0) return "";
    for (const OrvCalTableRow* row = table; row->number; ++row)
        if (row->number == number) return row->name;
    return "";
}
