#include <gtest/gtest.h>

#include "IcsEvent.h"

using orvportal::CalTime;
using orvportal::IcsEvent;

namespace {

TEST(CalTimeTest, ParseFormatAndArithmetic) {
    struct C {
        const char* text;
        const char* formatted;
    } cases[] = {{"20260315T201500", "20260315T201500"}, {"20260315", "20260315T000000"},
                 {"20260315T2", "20260315T000000"},      {"20260230T100000", "00000000T000000"},
                 {"garbage", "00000000T000000"},         {"20240229T120000", "20240229T120000"}};
    for (const auto& c : cases) EXPECT_EQ(CalTime::Parse(c.text).format(), c.formatted) << c.text;

    CalTime t = CalTime::Parse("20261231T230000");
    EXPECT_EQ(CalTime::FromSeconds(t.totalSeconds() + 2 * 3600).format(), "20270101T010000");
    EXPECT_EQ(CalTime::Parse("20261210").weekdayMon1(), 4);  // a Thursday
    EXPECT_EQ(CalTime::Parse("20261214").weekdayMon1(), 1);
}

TEST(Pairs, QuotesProtectSeparators) {
    auto p = orvportal::SplitPairs("ID=3;NAME=\"A;B\"x;NOVALUE;CITY=Köln;");
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0], std::make_pair(std::string("ID"), std::string("3")));
    EXPECT_EQ(p[1].second, "A;B");  // text after the closing quote is dropped
    EXPECT_EQ(p[2].second, "Köln");
}

TEST(ReadEvent, TakesFirstEventOfCalendar) {
    std::string text =
        "BEGIN:VCALENDAR\r\nPRODID:x\r\nBEGIN:VTIMEZONE\r\nTZID:Europe\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VEVENT\r\nUID:u1\r\nSUMMARY:\"Salsa\"\r\nDTSTART:20260105T200000\r\nDESCRIPTION:abc\r\n def\r\n"
        "X-ORV-SCENES:2,tango\r\nX-ORV-CATEGORIES:101,foo,301\r\n"
        "X-ORV-LOCATION:ID=4;NAME=\"Club; Saal\";ZIP=10115;CITY=Berlin;COUNTRY=D;\r\n"
        "X-ORV-PUBLISH:STATE=1;PUBLISH_UP=00000000T000000;\r\nX-ORV-EVENTID:17\r\n"
        "BEGIN:VALARM\r\nUID:inner\r\nEND:VALARM\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:u2\r\nDTSTART:20260106T200000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    IcsEvent ev;
    std::string err;
    ASSERT_TRUE(orvportal::ReadFirstEvent(text, ev, err)) << err;
    EXPECT_EQ(ev.uid, "u1");  // the alarm's UID does not count
    EXPECT_EQ(ev.summary, "Salsa");
    EXPECT_EQ(ev.dtstart.format(), "20260105T200000");
    EXPECT_EQ(ev.scenes, (std::vector<std::string>{"salsa", "tango"}));
    EXPECT_EQ(ev.categories, (std::vector<int>{101, 301}));
    EXPECT_EQ(ev.city, "Berlin");
    EXPECT_EQ(ev.zip, "10115");
    EXPECT_EQ(ev.country, "D");
    EXPECT_EQ(ev.publishState, 1);
    EXPECT_EQ(ev.eventId, 17);
    EXPECT_NE(ev.body().find("DESCRIPTION:abc\r\n def"), std::string::npos);  // continuation kept
    EXPECT_NE(ev.body().find("BEGIN:VALARM"), std::string::npos);
}

TEST(ReadEvent, RejectsTextWithoutUsableEvent) {
    const char* bad[] = {"", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", "BEGIN:VEVENT\r\nUID:x\r\nDTSTART:20260101T100000\r\n",
                         "BEGIN:VEVENT\r\nUID:x\r\nEND:VEVENT\r\n", "BEGIN:VEVENT\r\nDTSTART:notadate\r\nEND:VEVENT\r\n",
                         "\x00\xff\xfe garbage"};
    for (const char* t : bad) {
        IcsEvent ev;
        std::string err;
        EXPECT_FALSE(orvportal::ReadFirstEvent(t, ev, err)) << t;
        EXPECT_FALSE(err.empty());
    }
}

TEST(RenderEventTest, PortalValuesReplaceUploadedOnes) {
    IcsEvent ev = orvportal::ReadEventBody(
        "UID:u\r\nDTSTART:20260105T200000\r\nX-ORV-EVENTID:0\r\nX-ORV-SUPRAREGIONAL:1\r\n"
        "X-ORV-HIGHLIGHTS:20260105T200000=5\r\nBEGIN:VALARM\r\nX-ORV-EVENTID:99\r\nEND:VALARM\r\n");
    std::vector<std::pair<CalTime, int>> hl = {{CalTime::Parse("20260105T200000"), 1},
                                               {CalTime::Parse("20260112T200000"), 2}};
    std::string out = orvportal::RenderEvent(ev.body(), 42, 0, hl);
    EXPECT_EQ(out.find("X-ORV-EVENTID:0"), std::string::npos);
    EXPECT_NE(out.find("X-ORV-EVENTID:42\r\n"), std::string::npos);
    EXPECT_NE(out.find("X-ORV-EVENTID:99"), std::string::npos);  // inside the alarm, untouched
    EXPECT_EQ(out.find("X-ORV-SUPRAREGIONAL"), std::string::npos);
    EXPECT_NE(out.find("X-ORV-HIGHLIGHTS:20260105T200000=1;20260112T200000=2\r\n"), std::string::npos);
    EXPECT_EQ(out.rfind("END:VEVENT\r\n"), out.size() - 12);
    EXPECT_EQ(out.find("BEGIN:VEVENT\r\n"), 0u);
}

struct ExpandCase {
    const char* name;
    const char* dtstart;
    const char* rrule;
    const char* exdate;
    std::vector<std::string> expected;
};

class Expansion : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(Expansion, Dates) {
    const auto& c = GetParam();
    IcsEvent ev;
    ev.dtstart = CalTime::Parse(c.dtstart);
    ev.rrule = c.rrule;
    if (*c.exdate) ev.exdates.push_back(CalTime::Parse(c.exdate));
    std::vector<std::string> got;
    for (const auto& t : orvportal::ExpandOccurrences(ev, CalTime::Parse("20300101T000000"))) got.push_back(t.format());
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Expansion,
    ::testing::Values(
        ExpandCase{"single", "20260105T200000", "", "", {"20260105T200000"}},
        ExpandCase{"daily_exdate", "20260105T200000", "FREQ=DAILY;COUNT=3;", "20260107", {"20260105T200000", "20260106T200000"}},
        ExpandCase{"weekly_interval", "20260105T200000", "FREQ=WEEKLY;INTERVAL=2;COUNT=3;", "",
                   {"20260105T200000", "20260119T200000", "20260202T200000"}},
        // Monday and Wednesday, starting on a Wednesday: the Monday before is not counted.
        ExpandCase{"weekly_byday", "20260107T190000", "FREQ=WEEKLY;BYDAY=MO,WE;COUNT=4;", "",
                   {"20260107T190000", "20260112T190000", "20260114T190000", "20260119T190000"}},
        ExpandCase{"monthly_last_friday", "20260102T200000", "FREQ=MONTHLY;BYDAY=-1FR;COUNT=3;", "",
                   {"20260130T200000", "20260227T200000", "20260327T200000"}},
        ExpandCase{"monthly_skips_short_months", "20260131T100000", "FREQ=MONTHLY;COUNT=3;", "",
                   {"20260131T100000", "20260331T100000", "20260531T100000"}},
        ExpandCase{"until", "20260105T200000", "FREQ=DAILY;UNTIL=20260107T235959;", "",
                   {"20260105T200000", "20260106T200000", "20260107T200000"}},
        ExpandCase{"yearly", "20240229T100000", "FREQ=YEARLY;COUNT=2;", "", {"20240229T100000", "20280229T100000"}},
        ExpandCase{"minutely_gives_nothing", "20260105T200000", "FREQ=MINUTELY;COUNT=3;", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExpansionLimit, StopsAtHorizonAndCap) {
    IcsEvent ev;
    ev.dtstart = CalTime::Parse("20260101T100000");
    ev.rrule = "FREQ=DAILY;";
    EXPECT_EQ(orvportal::ExpandOccurrences(ev, CalTime::Parse("20260110T235959")).size(), 10u);
    EXPECT_EQ(orvportal::ExpandOccurrences(ev, CalTime::Parse("20990101T000000"), 25).size(), 25u);
}

}  // namespace
