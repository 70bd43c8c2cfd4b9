// Date-time of the calendar model: local wall-clock time, no zone; a year of
// 0 means "not set". Beside the value a time remembers the form it was
// written in (a whole day, UTC, a named zone), so that it is written back in
// that form; the value itself is always the user's local time once read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "platform/ZafUTimeData.h"

// A zone name as written (a TZID). The names are kept once per process and
// a time holds only their number: a calendar has many times and few zones.
class OrvZoneName {
public:
    OrvZoneName() = default;
    OrvZoneName(const std::string& name) { *this = name; }
    OrvZoneName& operator=(const std::string& name);
    const std::string& str() const;
    operator const std::string&() const { return str(); }
    bool empty() const { return id_ == 0; }
    void clear() { id_ = 0; }
    bool operator==(const OrvZoneName& o) const { return id_ == o.id_; }
    bool operator==(const std::string& s) const { return str() == s; }
    bool operator==(const char* s) const { return str() == s; }

private:
    uint32_t id_ = 0;
};

inline std::ostream& operator<<(std::ostream& out, const OrvZoneName& zone) { return out << zone.str(); }

class OrvCalTime : public ZafUTimeData {
public:
    OrvCalTime() = default;
    OrvCalTime(const ZafUTimeData& t) : ZafUTimeData(t) {}
    OrvCalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
        : ZafUTimeData(year, month, day, hour, minute, second, 0) {}

    bool IsSet() const { return Year() != 0; }
    void Clear()
    {
        Set(0, 0, 0, 0, 0, 0, 0);
        ClearForm();
    }
    void ClearForm()
    {
        dateOnly = utc = inZone = false;
        zone.clear();
    }
    // Takes a new value (an edited start, say) and keeps the form of the
    // old one; a whole day stays a whole day only while the time is 00:00.
    void SetKeepingForm(const ZafUTimeData& value)
    {
        const bool wasDate = dateOnly;
        static_cast<ZafUTimeData&>(*this) = value;
        inZone = false;
        dateOnly = wasDate && value.Hour() == 0 && value.Minute() == 0 && value.Second() == 0;
    }
    // Same form: both whole days, or both in the same zone, UTC or floating.
    bool SameForm(const OrvCalTime& o) const
    {
        return dateOnly == o.dateOnly && (dateOnly || (utc == o.utc && zone == o.zone));
    }

    // "%04d%02d%02dT%02d%02d%02d"
    std::string Text() const
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d", Year(), Month(), Day(), Hour(), Minute(),
                      Second());
        return buffer;
    }
    // "%04d%02d%02d"
    std::string DateText() const
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", Year(), Month(), Day());
        return buffer;
    }

    bool dateOnly = false;   // VALUE=DATE: a whole day
    bool utc = false;        // written with a trailing "Z"
    OrvZoneName zone;        // the TZID it was written with, "" for none
    // Set while the value is still the written wall-clock time of its zone
    // (or UTC); reading converts it to local time and clears it.
    bool inZone = false;
};
