// Time zones of calendar files. A TZID is resolved through the system's
// time-zone database (IANA names, Windows names, ids with a vendor prefix)
// and, for names the database does not know, through the VTIMEZONE
// definitions of the file. The model holds local wall-clock times: reading
// converts zoned and UTC times to the user's zone (the system's, TZ decides),
// writing converts them back into the zone they were written in.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/OrvCalTime.h"

class OrvCalendarComponent;

// UTC offsets of one zone over time.
class OrvZoneTable {
public:
    // Offset in seconds east of UTC at a UTC instant (seconds since 1970).
    int32_t OffsetAtUtc(int64_t utc) const;
    int64_t FromUtc(int64_t utc) const { return utc + OffsetAtUtc(utc); }
    // The UTC instant of a wall-clock time. A time that occurs twice is the
    // first of the two; a time in a gap is read with the offset before it.
    int64_t ToUtc(int64_t wall) const;
    // True when both tables give the same offsets.
    bool SameAs(const OrvZoneTable& other) const;

    std::string id;                 // the database id, or the file's TZID
    int32_t initial = 0;            // offset before the first change
    std::vector<int64_t> changes;   // UTC instants of the changes, ascending
    std::vector<int32_t> offsets;   // offset from changes[i] on
    // Per change: abbreviation and whether it is daylight time (for written
    // definitions).
    std::vector<std::string> names;
    std::vector<bool> daylight;
    std::string initialName;
};

// Seconds since 1970-01-01 00:00 of a wall-clock value, and back.
int64_t OrvWallSeconds(const ZafUTimeData& t);
ZafUTimeData OrvFromWallSeconds(int64_t seconds);

class OrvZones {
public:
    OrvZones();
    ~OrvZones();
    OrvZones(const OrvZones&) = delete;
    OrvZones& operator=(const OrvZones&) = delete;

    // Forgets the definitions of files.
    void ClearDefinitions();
    // Takes the rules of a VTIMEZONE block (its STANDARD and DAYLIGHT
    // children); used only for a TZID the database does not know.
    void AddDefinition(const OrvCalendarComponent& vtimezone);
    // The table for a TZID, or null when nothing knows the name.
    const OrvZoneTable* Find(const std::string& tzid) const;
    // True when the TZID is known only through a file's definition.
    bool DefinedByFile(const std::string& tzid) const;

    // The database id for a TZID, "" when the database does not know it.
    static std::string DatabaseId(const std::string& tzid);
    // The table of a database id (built once per process).
    static const OrvZoneTable* DatabaseTable(const std::string& id);
    // The user's zone and UTC.
    static const OrvZoneTable& Local();
    static const OrvZoneTable& Utc();

    // Converts a value written in the form of `form` (UTC or a zone) to
    // local time. False, and the value unchanged, when the form has no zone
    // or the zone is unknown.
    bool ToLocal(const OrvCalTime& form, ZafUTimeData& value) const;
    // Converts a local value into the form's zone (or UTC). False, and the
    // value unchanged, when there is nothing to convert.
    bool FromLocal(const OrvCalTime& form, ZafUTimeData& value) const;
    // The table a form refers to: UTC, its zone's, or null (floating, a
    // whole day or an unknown zone).
    const OrvZoneTable* TableOf(const OrvCalTime& form) const;

private:
    std::map<std::string, std::unique_ptr<OrvZoneTable>> definitions_;
};

// The zones of a component: those of its document, or the database alone.
const OrvZones& OrvZonesOf(const OrvCalendarComponent* component);
