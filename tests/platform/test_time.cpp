// Calendar arithmetic of the framework date-time.
#include <gtest/gtest.h>

#include "platform/ZafUTimeData.h"

namespace {

TEST(Time, DayOfWeekSundayIsZero)
{
    struct Case {
        int y, m, d, dow;
    } cases[] = {
        {2013, 3, 1, 5},  {2013, 3, 31, 0}, {2000, 2, 29, 2}, {1970, 1, 1, 4},
        {1900, 3, 1, 4},  {2024, 12, 31, 2}, {1, 1, 1, 1},    {2026, 12, 10, 4},
    };
    for (const Case& c : cases) {
        ZafUTimeData t(c.y, c.m, c.d);
        EXPECT_EQ(t.DayOfWeek(), c.dow) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(Time, AddSecondsCarriesIntoTheDate)
{
    struct Case {
        ZafUTimeData from;
        long long seconds;
        ZafUTimeData to;
    } cases[] = {
        {{2013, 12, 31, 23, 59, 59}, 1, {2014, 1, 1, 0, 0, 0}},
        {{2012, 2, 28, 12, 0, 0}, 86400, {2012, 2, 29, 12, 0, 0}},
        {{2013, 2, 28, 12, 0, 0}, 86400, {2013, 3, 1, 12, 0, 0}},
        {{2013, 3, 1, 0, 0, 0}, -1, {2013, 2, 28, 23, 59, 59}},
        {{2000, 1, 1, 0, 0, 0}, -86400LL * 365, {1999, 1, 1, 0, 0, 0}},
        {{2001, 1, 1, 0, 0, 0}, -86400LL * 366, {2000, 1, 1, 0, 0, 0}},
        {{2013, 3, 31, 10, 30, 0}, 7 * 86400, {2013, 4, 7, 10, 30, 0}},
    };
    for (const Case& c : cases) {
        ZafUTimeData t = c.from;
        t.AddSeconds(c.seconds);
        EXPECT_EQ(t.Year(), c.to.Year());
        EXPECT_EQ(t.Month(), c.to.Month());
        EXPECT_EQ(t.Day(), c.to.Day());
        EXPECT_EQ(t.Hour(), c.to.Hour());
        EXPECT_EQ(t.Minute(), c.to.Minute());
        EXPECT_EQ(t.Second(), c.to.Second());
    }
}

TEST(Time, DifferenceAndOrder)
{
    ZafUTimeData a(2013, 3, 1, 10, 0, 0, 250);
    ZafUTimeData b(2013, 2, 28, 10, 0, 0, 0);
    EXPECT_EQ(a.Difference(b), 86400LL * 1000 + 250);
    EXPECT_EQ(b.Difference(a), -(86400LL * 1000 + 250));
    EXPECT_TRUE(b < a);
    EXPECT_TRUE(a > b);
    EXPECT_TRUE(a >= a);
    EXPECT_FALSE(a != a);
    // An unset value (all zeros) sorts before every real date.
    EXPECT_TRUE(ZafUTimeData() < ZafUTimeData(1, 1, 1));
}

TEST(Time, MonthLengthsAndLeapYears)
{
    EXPECT_EQ(ZafUTimeData::DaysInMonth(2000, 2), 29);
    EXPECT_EQ(ZafUTimeData::DaysInMonth(1900, 2), 28);
    EXPECT_EQ(ZafUTimeData::DaysInMonth(2024, 2), 29);
    EXPECT_EQ(ZafUTimeData::DaysInMonth(2013, 4), 30);
    EXPECT_EQ(ZafUTimeData::DaysInMonth(2013, 13), 0);
    EXPECT_EQ(ZafUTimeData(2012, 12, 31).DayOfYear(), 366);
    EXPECT_EQ(ZafUTimeData(2013, 3, 1).DayOfYear(), 60);
}

TEST(Time, CivilDaysRoundTrip)
{
    for (long long day = -800000; day <= 800000; day += 997) {
        int y, m, d;
        ZafUTimeData::CivilFromDays(day, y, m, d);
        ASSERT_EQ(ZafUTimeData::DaysFromCivil(y, m, d), day);
    }
}

} // namespace
