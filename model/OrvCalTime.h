// Date-time of the calendar model: local wall-clock time, no zone; a year of
// 0 means "not set".
#pragma once

#include <cstdio>
#include <string>

#include "platform/ZafUTimeData.h"

class OrvCalTime : public ZafUTimeData {
public:
    OrvCalTime() = default;
    OrvCalTime(const ZafUTimeData& t) : ZafUTimeData(t) {}
    OrvCalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
        : ZafUTimeData(year, month, day, hour, minute, second, 0) {}

    bool IsSet() const { return Year() != 0; }
    void Clear() { Set(0, 0, 0, 0, 0, 0, 0); }

    // "%04d%02d%02dT%02d%02d%02d"
    std::string Text() const
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d", Year(), Month(), Day(), Hour(), Minute(),
                      Second());
        return buffer;
    }
};
