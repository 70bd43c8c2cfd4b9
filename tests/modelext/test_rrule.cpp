// Reading and writing of recurrence rule texts, and the rule's small
// queries used by the recurrence editor.
#include <gtest/gtest.h>

#include <string>

#include "model/OrvRRule.h"

namespace {

using Day = OrvRRule::DayEntry;

struct RoundTripCase {
    const char* name;
    std::string text;    // read
    std::string written; // written back
};

class RRuleRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RRuleRoundTrip, WritesInFixedOrder)
{
    const RoundTripCase& c = GetParam();
    OrvRRule rule;
    rule.Parse(c.text);
    EXPECT_EQ(rule.Write(), c.written);
    // What the system writes reads back to the same rule.
    OrvRRule again;
    again.Parse(rule.Write());
    EXPECT_EQ(again, rule);
    EXPECT_EQ(again.Write(), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RRuleRoundTrip,
    ::testing::Values(
        RoundTripCase{"Empty", "", "FREQ=;"},
        RoundTripCase{"WeeklyMondayFridayEveryTwo", "FREQ=WEEKLY;BYDAY=MO,FR;INTERVAL=2",
                      "FREQ=WEEKLY;BYDAY=MO,FR;INTERVAL=2;"},
        RoundTripCase{"OrderIsFixedNotReadOrder",
                      "WKST=SU;BYMONTH=1,2;UNTIL=20251231T235959;INTERVAL=3;COUNT=5;BYDAY=-1FR;FREQ=MONTHLY",
                      "FREQ=MONTHLY;BYDAY=-1FR;COUNT=5;INTERVAL=3;UNTIL=20251231T235959;BYMONTH=1,2;WKST=SU;"},
        RoundTripCase{"AllLists",
                      "FREQ=YEARLY;BYYEARDAY=1,-1;BYWEEKNO=20;BYMONTHDAY=1,15,-1;BYHOUR=8,20;BYMINUTE=0,30;"
                      "BYMONTH=12",
                      "FREQ=YEARLY;BYMINUTE=0,30;BYHOUR=8,20;BYMONTHDAY=1,15,-1;BYWEEKNO=20;BYYEARDAY=1,-1;"
                      "BYMONTH=12;"},
        RoundTripCase{"UntilDateOnlyGetsMidnight", "FREQ=DAILY;UNTIL=20250301", "FREQ=DAILY;UNTIL=20250301T000000;"},
        RoundTripCase{"UntilWithZone", "FREQ=DAILY;UNTIL=20250301T101500Z", "FREQ=DAILY;UNTIL=20250301T101500;"},
        RoundTripCase{"OrdinalsKept", "FREQ=MONTHLY;BYDAY=1MO,-2SU,3WE", "FREQ=MONTHLY;BYDAY=1MO,-2SU,3WE;"},
        RoundTripCase{"PlusSignDropsToken", "FREQ=MONTHLY;BYDAY=+1MO,2TU", "FREQ=MONTHLY;BYDAY=2TU;"},
        RoundTripCase{"BadWeekdaysDropped", "FREQ=WEEKLY;BYDAY=MO,mo,XX,1,MOX,FR", "FREQ=WEEKLY;BYDAY=MO,FR;"},
        RoundTripCase{"WeekStartOnlyMondayOrSunday", "FREQ=WEEKLY;WKST=TU", "FREQ=WEEKLY;"},
        RoundTripCase{"WeekStartMonday", "FREQ=WEEKLY;WKST=MO", "FREQ=WEEKLY;WKST=MO;"},
        RoundTripCase{"LowerCaseNamesUnknown", "freq=daily;FREQ=daily;COUNT=2", "FREQ=;COUNT=2;"},
        RoundTripCase{"UnknownPartsIgnored", "FREQ=DAILY;BYSECOND=5;X-FOO=1;JUNK;COUNT=3",
                      "FREQ=DAILY;COUNT=3;"},
        RoundTripCase{"QuotedValue", "FREQ=\"WEEKLY\";BYDAY=\"MO,TU\"", "FREQ=WEEKLY;BYDAY=MO,TU;"},
        RoundTripCase{"EmptyListTokensSkipped", "FREQ=MONTHLY;BYMONTHDAY=1,,15,", "FREQ=MONTHLY;BYMONTHDAY=1,15;"},
        RoundTripCase{"NegativeIntervalKept", "FREQ=DAILY;INTERVAL=-2", "FREQ=DAILY;INTERVAL=-2;"}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

TEST(RRuleParse, FillsFields)
{
    OrvRRule rule;
    rule.Parse("FREQ=MONTHLY;BYDAY=-1FR,2MO,SU;COUNT=12;INTERVAL=2;UNTIL=20261231T235900;WKST=MO");
    EXPECT_EQ(rule.frequency, ORV_FREQ_MONTHLY);
    ASSERT_EQ(rule.byDay.size(), 3u);
    EXPECT_EQ(rule.byDay[0], (Day{-1, ORV_FR}));
    EXPECT_EQ(rule.byDay[1], (Day{2, ORV_MO}));
    EXPECT_EQ(rule.byDay[2], (Day{0, ORV_SU}));
    EXPECT_EQ(rule.count, 12);
    EXPECT_EQ(rule.interval, 2);
    EXPECT_EQ(rule.until, OrvCalTime(2026, 12, 31, 23, 59, 0));
    EXPECT_EQ(rule.weekStart, ORV_MO);
}

TEST(RRuleParse, DoesNotClearFirst)
{
    OrvRRule rule;
    rule.Parse("FREQ=WEEKLY;BYDAY=MO;COUNT=3");
    rule.Parse("BYDAY=FR;INTERVAL=2");
    EXPECT_EQ(rule.frequency, ORV_FREQ_WEEKLY);
    EXPECT_EQ(rule.count, 3);
    EXPECT_EQ(rule.Write(), "FREQ=WEEKLY;BYDAY=MO,FR;COUNT=3;INTERVAL=2;");
    rule.Clear();
    EXPECT_EQ(rule, OrvRRule());
    EXPECT_EQ(rule.Write(), "FREQ=;");
}

TEST(RRuleParse, HugeOrdinalsAndNumbersAreClamped)
{
    OrvRRule rule;
    rule.Parse("FREQ=MONTHLY;BYDAY=99999MO,-99999FR;COUNT=99999999999;BYHOUR=99999999999");
    ASSERT_EQ(rule.byDay.size(), 2u);
    EXPECT_EQ(rule.byDay[0].first, 32767);
    EXPECT_EQ(rule.byDay[1].first, -32768);
    EXPECT_EQ(rule.count, 2147483647);
    EXPECT_EQ(rule.byHour, std::vector<int>{2147483647});
}

TEST(RRuleWrite, OddValuesHaveNoNames)
{
    OrvRRule rule;
    rule.frequency = ORV_FREQ_ONCE;
    EXPECT_EQ(rule.Write(), "FREQ=;"); // and reads back as no rule
    OrvRRule back;
    back.Parse(rule.Write());
    EXPECT_EQ(back.frequency, 0);

    rule.frequency = ORV_FREQ_WEEKLY;
    rule.byDay = {{0, 10}, {2, 10}, {0, ORV_TU}};
    EXPECT_EQ(rule.Write(), "FREQ=WEEKLY;BYDAY=,2,TU;");
    back.Clear();
    back.Parse(rule.Write());
    EXPECT_EQ(back.byDay, (std::vector<Day>{{0, ORV_TU}}));
}

TEST(RRuleNames, TablesAreWholeAndCaseSensitive)
{
    EXPECT_EQ(OrvRRule::FrequencyOf("MINUTELY"), 1);
    EXPECT_EQ(OrvRRule::FrequencyOf("YEARLY"), 6);
    EXPECT_EQ(OrvRRule::FrequencyOf("WEEK"), 0);
    EXPECT_EQ(OrvRRule::FrequencyOf("WEEKLYX"), 0);
    EXPECT_EQ(OrvRRule::FrequencyOf(""), 0);
    EXPECT_STREQ(OrvRRule::FrequencyName(7), "");
    EXPECT_STREQ(OrvRRule::FrequencyName(3), "DAILY");
    EXPECT_EQ(OrvRRule::WeekdayOf("SU"), 7);
    EXPECT_EQ(OrvRRule::WeekdayOf("Su"), 0);
    EXPECT_STREQ(OrvRRule::WeekdayName(1), "MO");
    EXPECT_STREQ(OrvRRule::WeekdayName(0), "");
    EXPECT_EQ(OrvRRule::RulePartOf("BYDAY"), ORV_RPART_BYDAY);
    EXPECT_EQ(OrvRRule::RulePartOf("WKST"), 12);
    EXPECT_EQ(OrvRRule::RulePartOf("BYSECOND"), 0);
    EXPECT_STREQ(OrvRRule::RulePartName(1), "FREQ");
}

TEST(RRuleQueries, Workdays)
{
    struct {
        const char* text;
        bool workdays;
    } cases[] = {
        {"FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR", true},
        {"FREQ=DAILY;BYDAY=FR,TH,WE,TU,MO", true},
        {"FREQ=DAILY;BYDAY=MO,MO,MO,MO,MO", true}, // only count and range are looked at
        {"FREQ=DAILY;BYDAY=MO,TU,WE,TH", false},
        {"FREQ=DAILY;BYDAY=MO,TU,WE,TH,SA", false},
        {"FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR,SA", false},
        {"FREQ=DAILY", false},
    };
    for (const auto& c : cases) {
        OrvRRule rule;
        rule.Parse(c.text);
        EXPECT_EQ(rule.IsWorkdays(), c.workdays) << c.text;
    }
}

TEST(RRuleQueries, SimpleFrequency)
{
    struct {
        const char* text;
        int simple;
    } cases[] = {
        {"FREQ=WEEKLY;BYDAY=MO", ORV_FREQ_WEEKLY},
        {"FREQ=WEEKLY;INTERVAL=1", ORV_FREQ_WEEKLY},
        {"FREQ=WEEKLY;INTERVAL=2", 8},
        {"FREQ=DAILY;COUNT=3", 8},
        {"FREQ=DAILY;UNTIL=20250101T000000", 8},
        {"FREQ=WEEKLY;BYDAY=MO,TU", 8},
        {"FREQ=MONTHLY;BYMONTHDAY=1,2", ORV_FREQ_MONTHLY},
        {"FREQ=MONTHLY;BYMONTHDAY=1,2,3", 8},
        {"FREQ=MONTHLY;BYDAY=1MO", 8},
        {"FREQ=YEARLY", ORV_FREQ_YEARLY},
        {"", 0},
    };
    for (const auto& c : cases) {
        OrvRRule rule;
        rule.Parse(c.text);
        EXPECT_EQ(rule.SimpleFrequency(), c.simple) << c.text;
    }
}

TEST(RRuleCopy, CopiesAllFields)
{
    OrvRRule from;
    from.Parse("FREQ=MONTHLY;BYDAY=-1FR;COUNT=5;INTERVAL=3;UNTIL=20251231T235959;BYMINUTE=5;BYHOUR=6;"
               "BYMONTHDAY=7;BYWEEKNO=8;BYYEARDAY=9;BYMONTH=10;WKST=SU");
    OrvRRule to;
    to.Parse("FREQ=DAILY;BYHOUR=1");
    OrvRRule::Copy(from, to);
    EXPECT_EQ(to, from);
    EXPECT_EQ(to.Write(), from.Write());
}

} // namespace
