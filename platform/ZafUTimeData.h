// Calendar date-time of the window framework: local wall-clock time with
// milliseconds, no zone. Arithmetic runs on the proleptic Gregorian calendar.
#pragma once

#include <cstdint>

class ZafUTimeData {
public:
    ZafUTimeData() = default;
    ZafUTimeData(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int milliseconds = 0)
    {
        Set(year, month, day, hour, minute, second, milliseconds);
    }

    // Sets all fields at once, as given (no normalisation; year 0 is the
    // model's "not set").
    void Set(int year, int month, int day, int hour, int minute, int second, int milliseconds = 0);
    // The current local time.
    static ZafUTimeData Now();

    int Year() const { return year_; }
    int Month() const { return month_; }
    int Day() const { return day_; }
    int Hour() const { return hour_; }
    int Minute() const { return minute_; }
    int Second() const { return second_; }
    int Milliseconds() const { return milliseconds_; }

    // Sunday = 0 ... Saturday = 6.
    int DayOfWeek() const;
    // Days in the month of this value.
    int DaysInMonth() const { return DaysInMonth(year_, month_); }
    static int DaysInMonth(int year, int month);
    static bool IsLeapYear(int year);
    // Day of the year from 1.
    int DayOfYear() const;

    // Adds (or with a negative count subtracts) seconds, carrying into the
    // date; the milliseconds stay.
    void AddSeconds(int64_t seconds);
    void AddDays(int64_t days) { AddSeconds(days * 86400); }
    // this - other in milliseconds.
    int64_t Difference(const ZafUTimeData& other) const;

    // Milliseconds since 0001-01-01 00:00 (for ordering and differences).
    int64_t Milliseconds64() const;
    // Days since 1970-01-01 of the date part.
    static int64_t DaysFromCivil(int year, int month, int day);
    static void CivilFromDays(int64_t days, int& year, int& month, int& day);

    bool operator==(const ZafUTimeData& o) const { return Milliseconds64() == o.Milliseconds64(); }
    bool operator!=(const ZafUTimeData& o) const { return !(*this == o); }
    bool operator<(const ZafUTimeData& o) const { return Milliseconds64() < o.Milliseconds64(); }
    bool operator>(const ZafUTimeData& o) const { return o < *this; }
    bool operator<=(const ZafUTimeData& o) const { return !(o < *this); }
    bool operator>=(const ZafUTimeData& o) const { return !(*this < o); }

private:
    int year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0, milliseconds_ = 0;
};
