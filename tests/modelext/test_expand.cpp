// Expansion of recurrence rules into occurrences: exact dates for each
// frequency, count against until, exception dates, replaced occurrences,
// the horizon, and the bounds that keep odd rules from running away.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/OrvPairTokenizer.h"
#include "model/OrvRRule.h"

namespace {

std::string Text(const ZafUTimeData& t) { return OrvCalTime(t).Text(); }

struct Occurrence {
    std::string start;
    std::string end;
};

struct Outcome {
    std::vector<std::string> starts;
    std::vector<Occurrence> all;
    int returned = 0;
};

Outcome Expand(const std::string& ruleText, const std::string& start, const std::string& end,
           const std::vector<std::string>& exdates = {}, const std::vector<std::string>& replaced = {},
           const std::string& horizon = "20270101T120000")
{
    OrvRRule rule;
    rule.Parse(ruleText);
    std::vector<OrvCalTime> ex, rep;
    for (const std::string& t : exdates) ex.push_back(OrvReadDateTime(t));
    for (const std::string& t : replaced) rep.push_back(OrvReadDateTime(t));
    Outcome run;
    run.returned = rule.Expand(OrvReadDateTime(start), OrvReadDateTime(end), ex, rep, OrvReadDateTime(horizon),
                               [&](const ZafUTimeData& s, const ZafUTimeData& e) {
                                   run.starts.push_back(Text(s));
                                   run.all.push_back({Text(s), Text(e)});
                               });
    EXPECT_EQ(run.returned, static_cast<int>(run.starts.size()));
    return run;
}

using Dates = std::vector<std::string>;

struct ExpandCase {
    const char* name;
    const char* rule;
    const char* start;
    const char* end;
    Dates exdates;
    Dates replaced;
    const char* horizon;
    Dates expected; // occurrence starts
};

class ExpandCases : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandCases, ExactStarts)
{
    const ExpandCase& c = GetParam();
    Outcome run = Expand(c.rule, c.start, c.end, c.exdates, c.replaced, c.horizon);
    EXPECT_EQ(run.starts, c.expected);
}

// 2025-01-01 is a Wednesday; 2024 is a leap year.
INSTANTIATE_TEST_SUITE_P(
    Table, ExpandCases,
    ::testing::Values(
        // --- weekly ---
        ExpandCase{"WeeklyMondayWednesdayCountFromWednesday", "FREQ=WEEKLY;BYDAY=MO,WE;COUNT=4", "20250101T200000",
                   "20250101T220000", {}, {}, "20270101T120000",
                   {"20250101T200000", "20250106T200000", "20250108T200000", "20250113T200000"}},
        ExpandCase{"WeeklyByDayOverMonthEnd", "FREQ=WEEKLY;BYDAY=TU,SA;UNTIL=20250208T235959", "20250128T193000",
                   "20250128T230000", {}, {}, "20270101T120000",
                   {"20250128T193000", "20250201T193000", "20250204T193000", "20250208T193000"}},
        ExpandCase{"WeeklyByDayOverYearEnd", "FREQ=WEEKLY;BYDAY=MO,TH;COUNT=4", "20241230T100000",
                   "20241230T110000", {}, {}, "20270101T120000",
                   {"20241230T100000", "20250102T100000", "20250106T100000", "20250109T100000"}},
        ExpandCase{"WeeklyWithoutDaysSteps7Days", "FREQ=WEEKLY;COUNT=3", "20250227T200000", "20250227T210000", {},
                   {}, "20270101T120000", {"20250227T200000", "20250306T200000", "20250313T200000"}},
        ExpandCase{"WeeklyIntervalTwoMondayFriday", "FREQ=WEEKLY;BYDAY=MO,FR;INTERVAL=2;COUNT=5", "20250106T180000",
                   "20250106T190000", {}, {}, "20270101T120000",
                   {"20250106T180000", "20250110T180000", "20250120T180000", "20250124T180000", "20250203T180000"}},
        // List order does not change which days COUNT takes.
        ExpandCase{"WeeklyUnorderedListCountsInDateOrder", "FREQ=WEEKLY;BYDAY=WE,MO;COUNT=3", "20250106T200000",
                   "20250106T210000", {}, {}, "20270101T120000",
                   {"20250106T200000", "20250108T200000", "20250113T200000"}},
        // Until bounds every candidate, also inside the last week.
        ExpandCase{"WeeklyUntilMidWeekDropsLaterDays", "FREQ=WEEKLY;BYDAY=MO,FR;UNTIL=20250115T235959",
                   "20250106T200000", "20250106T210000", {}, {}, "20270101T120000",
                   {"20250106T200000", "20250110T200000", "20250113T200000"}},
        ExpandCase{"WeeklyUntilOnMondayBeforeAnchorWeekday", "FREQ=WEEKLY;BYDAY=MO,WE;UNTIL=20250106T230000",
                   "20250101T200000", "20250101T210000", {}, {}, "20270101T120000",
                   {"20250101T200000", "20250106T200000"}},
        ExpandCase{"WeeklyStartDayNotInListIsNoOccurrence", "FREQ=WEEKLY;BYDAY=FR;COUNT=2", "20250101T200000",
                   "20250101T210000", {}, {}, "20270101T120000", {"20250103T200000", "20250110T200000"}},
        ExpandCase{"WeeklyDuplicateDaysOnce", "FREQ=WEEKLY;BYDAY=MO,MO,2MO;COUNT=2", "20250106T200000",
                   "20250106T210000", {}, {}, "20270101T120000", {"20250106T200000", "20250113T200000"}},
        // --- daily and hourly ---
        ExpandCase{"DailyExceptionOnThirdDayCountThree", "FREQ=DAILY;COUNT=3", "20250101T200000", "20250101T220000",
                   {"20250103T000000"}, {}, "20270101T120000", {"20250101T200000", "20250102T200000"}},
        ExpandCase{"DailyExceptionMatchesDateOnly", "FREQ=DAILY;COUNT=3", "20250101T200000", "20250101T220000",
                   {"20250102T235959"}, {}, "20270101T120000", {"20250101T200000", "20250103T200000"}},
        ExpandCase{"DailyIntervalThreeOverLeapDay", "FREQ=DAILY;INTERVAL=3;COUNT=4", "20240226T090000",
                   "20240226T100000", {}, {}, "20270101T120000",
                   {"20240226T090000", "20240229T090000", "20240303T090000", "20240306T090000"}},
        ExpandCase{"DailyCountBeforeUntil", "FREQ=DAILY;COUNT=2;UNTIL=20250110T235959", "20250101T200000",
                   "20250101T210000", {}, {}, "20270101T120000", {"20250101T200000", "20250102T200000"}},
        ExpandCase{"DailyUntilBeforeCount", "FREQ=DAILY;COUNT=10;UNTIL=20250103T200000", "20250101T200000",
                   "20250101T210000", {}, {}, "20270101T120000",
                   {"20250101T200000", "20250102T200000", "20250103T200000"}},
        // A date-only until is midnight: the evening of that day is after it.
        ExpandCase{"DailyDateOnlyUntilIsMidnight", "FREQ=DAILY;UNTIL=20250103", "20250101T200000",
                   "20250101T210000", {}, {}, "20270101T120000", {"20250101T200000", "20250102T200000"}},
        ExpandCase{"DailyHorizonWithoutUntil", "FREQ=DAILY", "20250101T200000", "20250101T210000", {}, {},
                   "20250105T120000", {"20250101T200000", "20250102T200000", "20250103T200000", "20250104T200000"}},
        // The horizon ends every rule, also one whose until lies beyond it.
        ExpandCase{"DailyUntilBeyondHorizonEndsAtTheHorizon", "FREQ=DAILY;UNTIL=20250106T235959", "20250101T200000",
                   "20250101T210000", {}, {}, "20250103T120000", {"20250101T200000", "20250102T200000"}},
        // Wall-clock times: no daylight-saving shift on 2025-03-30.
        ExpandCase{"DailyAcrossDstChangeKeepsWallClock", "FREQ=DAILY;COUNT=3", "20250329T023000",
                   "20250329T033000", {}, {}, "20270101T120000",
                   {"20250329T023000", "20250330T023000", "20250331T023000"}},
        ExpandCase{"DailySecondsOfStartDropped", "FREQ=DAILY;COUNT=2", "20250101T200045", "20250101T210000", {}, {},
                   "20270101T120000", {"20250101T200000", "20250102T200000"}},
        ExpandCase{"HourlyOverMidnight", "FREQ=HOURLY;INTERVAL=2;COUNT=3", "20250131T223000", "20250131T230000", {},
                   {}, "20270101T120000", {"20250131T223000", "20250201T003000", "20250201T023000"}},
        // --- monthly ---
        ExpandCase{"MonthlyOnThe31stSkipsShortMonths", "FREQ=MONTHLY;COUNT=5", "20250131T200000",
                   "20250131T210000", {}, {}, "20270101T120000",
                   {"20250131T200000", "20250331T200000", "20250531T200000", "20250731T200000", "20250831T200000"}},
        ExpandCase{"MonthlyOnThe29thLeapFebruary", "FREQ=MONTHLY;UNTIL=20250401T000000", "20240129T200000",
                   "20240129T210000", {}, {}, "20270101T120000",
                   {"20240129T200000", "20240229T200000", "20240329T200000", "20240429T200000", "20240529T200000",
                    "20240629T200000", "20240729T200000", "20240829T200000", "20240929T200000", "20241029T200000",
                    "20241129T200000", "20241229T200000", "20250129T200000", "20250329T200000"}},
        // The horizon, not a later until, ends a monthly rule (as the other
        // libraries' harnesses of bench/ do).
        ExpandCase{"MonthlyUntilBeyondHorizonEndsAtTheHorizon", "FREQ=MONTHLY;INTERVAL=1;UNTIL=20281231T235959",
                   "20280915T210000", "20280916T010000", {}, {}, "20281210T120000",
                   {"20280915T210000", "20281015T210000", "20281115T210000"}},
        ExpandCase{"MonthlyOnThe31stUntilBeyondHorizon", "FREQ=MONTHLY;UNTIL=20281231T235959", "20280831T200000",
                   "20280831T230000", {}, {}, "20281210T120000", {"20280831T200000", "20281031T200000"}},
        ExpandCase{"MonthlyIntervalAboveTwelve", "FREQ=MONTHLY;INTERVAL=14;COUNT=3", "20251115T200000",
                   "20251115T210000", {}, {}, "20300101T120000",
                   {"20251115T200000", "20270115T200000", "20280315T200000"}},
        ExpandCase{"MonthlyLastFriday", "FREQ=MONTHLY;BYDAY=-1FR;COUNT=4", "20250101T200000", "20250101T210000", {},
                   {}, "20270101T120000",
                   {"20250131T200000", "20250228T200000", "20250328T200000", "20250425T200000"}},
        ExpandCase{"MonthlyFifthMondaySkipsMonths", "FREQ=MONTHLY;BYDAY=5MO;UNTIL=20251231T235959",
                   "20250101T200000", "20250101T210000", {}, {}, "20270101T120000",
                   {"20250331T200000", "20250630T200000", "20250929T200000", "20251229T200000"}},
        ExpandCase{"MonthlyDaysBeforeStartNotCounted", "FREQ=MONTHLY;BYDAY=1MO,3MO;COUNT=3", "20250110T200000",
                   "20250110T210000", {}, {}, "20270101T120000",
                   {"20250120T200000", "20250203T200000", "20250217T200000"}},
        ExpandCase{"MonthlyStartDayItselfCounts", "FREQ=MONTHLY;BYDAY=1WE;COUNT=2", "20250101T235900",
                   "20250102T003000", {}, {}, "20270101T120000", {"20250101T235900", "20250205T235900"}},
        // A bare weekday in a monthly rule stands for each such day.
        ExpandCase{"MonthlyBareWeekdayEveryOne", "FREQ=MONTHLY;BYDAY=TU;UNTIL=20250228T235959", "20250201T200000",
                   "20250201T210000", {}, {}, "20270101T120000",
                   {"20250204T200000", "20250211T200000", "20250218T200000", "20250225T200000"}},
        ExpandCase{"MonthlyListCountsInDateOrder", "FREQ=MONTHLY;BYDAY=-1FR,1MO;COUNT=3", "20250101T200000",
                   "20250101T210000", {}, {}, "20270101T120000",
                   {"20250106T200000", "20250131T200000", "20250203T200000"}},
        ExpandCase{"MonthlyUntilInsideLastMonth", "FREQ=MONTHLY;BYDAY=1FR,-1FR;UNTIL=20250315T000000",
                   "20250101T200000", "20250101T210000", {}, {}, "20270101T120000",
                   {"20250103T200000", "20250131T200000", "20250207T200000", "20250228T200000", "20250307T200000"}},
        // --- yearly ---
        ExpandCase{"YearlyLeapDaySkipsCommonYears", "FREQ=YEARLY;UNTIL=20331231T000000", "20240229T200000",
                   "20240229T230000", {}, {}, "20400101T120000",
                   {"20240229T200000", "20280229T200000", "20320229T200000"}},
        // The until equal to the last start keeps that start, whatever the
        // end time of the event is.
        ExpandCase{"YearlyUntilEqualToLastStart", "FREQ=YEARLY;UNTIL=20270601T200000", "20250601T200000",
                   "20250601T230000", {}, {}, "20300101T120000",
                   {"20250601T200000", "20260601T200000", "20270601T200000"}},
        ExpandCase{"YearlyIntervalTwoCount", "FREQ=YEARLY;INTERVAL=2;COUNT=3", "20251224T180000", "20251224T200000",
                   {"20271224T000000"}, {}, "20400101T120000", {"20251224T180000", "20291224T180000"}},
        // --- no rule and rules that are not expanded ---
        ExpandCase{"NoRuleAfterHorizon", "", "20300101T200000", "20300101T210000", {"20300101T000000"}, {},
                   "20250101T120000", {"20300101T200000"}},
        ExpandCase{"MinutelyShowsTheEventOnce", "FREQ=MINUTELY;COUNT=5", "20250101T200000", "20250101T210000", {},
                   {}, "20270101T120000", {"20250101T200000"}},
        ExpandCase{"RuleWithoutStartShowsOnce", "FREQ=DAILY", "", "", {}, {}, "20270101T120000",
                   {"00000000T000000"}},
        // --- replaced occurrences (RECURRENCE-ID of other events) ---
        ExpandCase{"ReplacedOccurrenceStillCounts", "FREQ=DAILY;COUNT=3", "20250101T200000", "20250101T210000", {},
                   {"20250102T200000"}, "20270101T120000", {"20250101T200000", "20250103T200000"}},
        ExpandCase{"ReplacedRemovesOnlyTheFirstOnItsDate", "FREQ=HOURLY;COUNT=3", "20250101T200000",
                   "20250101T203000", {}, {"20250101T000000"}, "20270101T120000",
                   {"20250101T210000", "20250101T220000"}},
        ExpandCase{"ReplacedSingleEvent", "", "20250101T200000", "20250101T210000", {}, {"20250101T200000"},
                   "20270101T120000", {}},
        ExpandCase{"TwoReplacementsSameDayTwoRemovals", "FREQ=HOURLY;COUNT=3", "20250101T200000", "20250101T203000",
                   {}, {"20250101T200000", "20250101T200000"}, "20270101T120000", {"20250101T220000"}},
        ExpandCase{"ReplacedDateWithoutOccurrenceChangesNothing", "FREQ=WEEKLY;COUNT=2", "20250101T200000",
                   "20250101T210000", {}, {"20250102T200000"}, "20270101T120000",
                   {"20250101T200000", "20250108T200000"}}),
    [](const ::testing::TestParamInfo<ExpandCase>& info) { return std::string(info.param.name); });

TEST(Expand, OccurrencesLastAsLongAsTheEvent)
{
    Outcome run = Expand("FREQ=WEEKLY;COUNT=2", "20250131T220000", "20250201T013000");
    ASSERT_EQ(run.all.size(), 2u);
    EXPECT_EQ(run.all[0].end, "20250201T013000");
    EXPECT_EQ(run.all[1].start, "20250207T220000");
    EXPECT_EQ(run.all[1].end, "20250208T013000");

    // An unset or earlier end gives occurrences without length.
    run = Expand("FREQ=DAILY;COUNT=2", "20250101T200000", "");
    ASSERT_EQ(run.all.size(), 2u);
    EXPECT_EQ(run.all[1].end, "20250102T200000");
    run = Expand("FREQ=DAILY;COUNT=2", "20250101T200000", "20250101T190000");
    ASSERT_EQ(run.all.size(), 2u);
    EXPECT_EQ(run.all[0].end, "20250101T200000");
}

TEST(Expand, NoRuleKeepsStartAndEndExactly)
{
    for (int frequency : {0, 1, 7, 8, 9, -1}) {
        OrvRRule rule;
        rule.frequency = frequency;
        rule.count = 3;
        std::vector<Occurrence> got;
        int n = rule.Expand(OrvCalTime(2025, 1, 1, 20, 0, 45), OrvCalTime(2025, 1, 1, 19, 0, 0),
                            {OrvCalTime(2025, 1, 1)}, {}, ZafUTimeData(2000, 1, 1),
                            [&](const ZafUTimeData& s, const ZafUTimeData& e) { got.push_back({Text(s), Text(e)}); });
        EXPECT_EQ(n, 1) << frequency;
        ASSERT_EQ(got.size(), 1u) << frequency;
        EXPECT_EQ(got[0].start, "20250101T200045") << frequency;
        EXPECT_EQ(got[0].end, "20250101T190000") << frequency;
    }
}

TEST(Expand, FrequencySevenGivesOneOccurrenceAndReadsBackAsNone)
{
    OrvRRule rule;
    rule.frequency = ORV_FREQ_ONCE;
    int seven = rule.Expand(OrvCalTime(2025, 1, 1, 20), OrvCalTime(2025, 1, 1, 21), {}, {}, ZafUTimeData(2026, 1, 1),
                            nullptr);
    OrvRRule back;
    back.Parse(rule.Write());
    int zero = back.Expand(OrvCalTime(2025, 1, 1, 20), OrvCalTime(2025, 1, 1, 21), {}, {}, ZafUTimeData(2026, 1, 1),
                           nullptr);
    EXPECT_EQ(back.frequency, 0);
    EXPECT_EQ(seven, 1);
    EXPECT_EQ(zero, 1);
}

TEST(Expand, FarHorizonDailyForACentury)
{
    Outcome run = Expand("FREQ=DAILY", "20250101T200000", "20250101T210000", {}, {}, "21250101T120000");
    ASSERT_EQ(run.starts.size(), 36524u);
    EXPECT_EQ(run.starts.front(), "20250101T200000");
    EXPECT_EQ(run.starts[59], "20250301T200000");
    EXPECT_EQ(run.starts.back(), "21241231T200000");
}

// Far until dates, far horizons and huge counts: the work follows what is
// kept. An until of 9999 ends at the horizon; a series with more dates than
// one event may keep keeps its latest ones, the early ones jumped over (and
// counted) arithmetically.
TEST(Expand, RunawayRulesAreBounded)
{
    struct Case {
        const char* rule;
        const char* start;
        const char* horizon;
        int count;
        const char* first;
        const char* last;
    } cases[] = {
        // 2025-01-01 00:00 to 2027-01-01 12:00, hour by hour.
        {"FREQ=HOURLY;UNTIL=99991231T235959", "20250101T000000", "20270101T120000", 17533, "20250101T000000",
         "20270101T120000"},
        // The latest 100 000 hours before the horizon.
        {"FREQ=HOURLY", "19000101T000000", "20270101T120000", OrvRRule::maxPerEvent, "20150805T210000",
         "20270101T120000"},
        {"FREQ=DAILY", "20250101T000000", "99991231T235959", OrvRRule::maxPerEvent, "97260318T000000",
         "99991231T000000"},
        // A huge count does not change where the horizon ends the rule.
        {"FREQ=DAILY;COUNT=2000000000", "20250101T200000", "20250111T120000", 10, "20250101T200000",
         "20250110T200000"},
        // The count ends among the dates jumped over: nothing is left.
        {"FREQ=HOURLY;COUNT=5", "19000101T000000", "20270101T120000", 5, "19000101T000000", "19000101T040000"},
        // Counted from the start even where the early dates are jumped over:
        // the horizon comes before the count ends.
        {"FREQ=DAILY;COUNT=200000", "17000101T100000", "20270101T120000", OrvRRule::maxPerEvent, "17530319T100000",
         "20270101T100000"},
        {"FREQ=DAILY;COUNT=100005", "17000101T100000", "20270101T120000", 100000, "17000106T100000",
         "19731021T100000"},
        // Whole weeks are jumped: 14 284 full weeks and the five days of the
        // last one (Monday 2026-12-28 to the horizon on Friday).
        {"FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR,SA,SU", "00010101T100000", "20270101T120000", 14284 * 7 + 5, nullptr,
         "20270101T100000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + " from " + c.start);
        Outcome run = Expand(c.rule, c.start, c.start, {}, {}, c.horizon);
        ASSERT_EQ(run.returned, c.count);
        if (c.first) EXPECT_EQ(run.starts.front(), c.first);
        EXPECT_EQ(run.starts.back(), c.last);
        for (size_t i = 1; i < run.starts.size(); ++i) ASSERT_LT(run.starts[i - 1], run.starts[i]);
    }

    // A horizon past the last representable year is cut back, not looped to.
    OrvRRule rule;
    rule.Parse("FREQ=MONTHLY;BYDAY=1MO");
    rule.byDay[0].second = 10; // no day of any month has it
    int n = rule.Expand(OrvCalTime(2025, 1, 1, 20), OrvCalTime(2025, 1, 1, 21), {}, {},
                        ZafUTimeData(2000000000, 1, 1), nullptr);
    EXPECT_EQ(n, 0);
}

TEST(Expand, IntervalZeroOrNegativeStepsByOne)
{
    for (const char* text : {"FREQ=DAILY;INTERVAL=0;COUNT=3", "FREQ=DAILY;INTERVAL=-4;COUNT=3"}) {
        Outcome run = Expand(text, "20250101T200000", "20250101T210000");
        EXPECT_EQ(run.starts, (Dates{"20250101T200000", "20250102T200000", "20250103T200000"})) << text;
    }
    Outcome weekly = Expand("FREQ=WEEKLY;BYDAY=MO;INTERVAL=-1;UNTIL=20250115T000000", "20250101T200000",
                        "20250101T210000");
    EXPECT_EQ(weekly.starts, (Dates{"20250106T200000", "20250113T200000"}));
    Outcome monthly = Expand("FREQ=MONTHLY;INTERVAL=-1;COUNT=2", "20250101T200000", "20250101T210000");
    EXPECT_EQ(monthly.starts, (Dates{"20250101T200000", "20250201T200000"}));
}

TEST(Expand, HugeValuesDoNotOverflow)
{
    for (const char* text : {"FREQ=DAILY;INTERVAL=2147483647", "FREQ=HOURLY;INTERVAL=2147483647",
                             "FREQ=WEEKLY;BYDAY=MO,SU;INTERVAL=2147483647", "FREQ=MONTHLY;INTERVAL=2147483647",
                             "FREQ=MONTHLY;BYDAY=-1SU;INTERVAL=2147483647", "FREQ=YEARLY;INTERVAL=2147483647",
                             "FREQ=DAILY;COUNT=2147483647;INTERVAL=2147483647"}) {
        Outcome run = Expand(text, "20250105T200000", "20250105T210000", {}, {}, "99991231T235959");
        EXPECT_LE(run.starts.size(), 2u) << text;
        EXPECT_GE(run.starts.size(), 1u) << text;
    }
    // A negative count counts nothing: the limit ends the rule.
    Outcome negative = Expand("FREQ=DAILY;COUNT=-1", "20250101T200000", "20250101T210000", {}, {}, "20250103T120000");
    EXPECT_EQ(negative.starts, (Dates{"20250101T200000", "20250102T200000"}));
}

TEST(Expand, WeekdayOutsideTheWeekMovesAsAnyEntry)
{
    OrvRRule rule;
    rule.frequency = ORV_FREQ_WEEKLY;
    rule.count = 2;
    rule.byDay = {{0, 10}}; // Monday + 9 days: the Wednesday of the next week
    Dates got;
    rule.Expand(OrvCalTime(2025, 1, 6, 20), OrvCalTime(2025, 1, 6, 21), {}, {}, ZafUTimeData(2026, 1, 1),
                [&](const ZafUTimeData& s, const ZafUTimeData&) { got.push_back(Text(s)); });
    EXPECT_EQ(got, (Dates{"20250115T200000", "20250122T200000"}));
}

TEST(Expand, ExceptionDatesAreNotCheckedForTheEventsOwnStartWithoutRule)
{
    Outcome run = Expand("", "20250101T200000", "20250101T210000", {"20250101T000000"});
    EXPECT_EQ(run.starts, (Dates{"20250101T200000"}));
    // With a rule the start day itself is skipped.
    run = Expand("FREQ=DAILY;COUNT=2", "20250101T200000", "20250101T210000", {"20250101T000000"});
    EXPECT_EQ(run.starts, (Dates{"20250102T200000"}));
}

} // namespace
