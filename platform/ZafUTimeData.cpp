#include "platform/ZafUTimeData.h"

#include <ctime>
#include <sys/time.h>

void ZafUTimeData::Set(int year, int month, int day, int hour, int minute, int second, int milliseconds)
{
    year_ = year;
    month_ = month;
    day_ = day;
    hour_ = hour;
    minute_ = minute;
    second_ = second;
    milliseconds_ = milliseconds;
}

ZafUTimeData ZafUTimeData::Now()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::time_t t = tv.tv_sec;
    std::tm local{};
    localtime_r(&t, &local);
    return ZafUTimeData(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec, static_cast<int>(tv.tv_usec / 1000));
}

bool ZafUTimeData::IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int ZafUTimeData::DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Howard Hinnant's days_from_civil: exact for every proleptic Gregorian date.
int64_t ZafUTimeData::DaysFromCivil(int year, int month, int day)
{
    int64_t y = static_cast<int64_t>(year) - (month <= 2);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (month + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void ZafUTimeData::CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

int ZafUTimeData::DayOfWeek() const
{
    int64_t days = DaysFromCivil(year_, month_, day_);
    // 1970-01-01 was a Thursday.
    int64_t w = (days + 4) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

int ZafUTimeData::DayOfYear() const
{
    return static_cast<int>(DaysFromCivil(year_, month_, day_) - DaysFromCivil(year_, 1, 1)) + 1;
}

int64_t ZafUTimeData::Milliseconds64() const
{
    int64_t days = DaysFromCivil(year_, month_ ? month_ : 1, day_ ? day_ : 1);
    if (!day_) days -= 1;
    return ((days * 24 + hour_) * 60 + minute_) * 60000 + static_cast<int64_t>(second_) * 1000 + milliseconds_;
}

void ZafUTimeData::AddSeconds(int64_t seconds)
{
    int64_t total = (DaysFromCivil(year_, month_, day_) * 86400) + hour_ * 3600 + minute_ * 60 + second_ + seconds;
    int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    int64_t rest = total - days * 86400;
    CivilFromDays(days, year_, month_, day_);
    hour_ = static_cast<int>(rest / 3600);
    minute_ = static_cast<int>(rest / 60 % 60);
    second_ = static_cast<int>(rest % 60);
}

int64_t ZafUTimeData::Difference(const ZafUTimeData& other) const
{
    return Milliseconds64() - other.Milliseconds64();
}
