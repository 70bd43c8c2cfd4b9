// Grid, navigation and geometry rules of the calendar views on plain values.
#include <gtest/gtest.h>

#include "model/OrvCalendar.h"
#include "views/OrvCalendarGrid.h"
#include "views/OrvViewModel.h"

namespace {

ZafUTimeData Day(int y, int m, int d)
{
    return ZafUTimeData(y, m, d, 12, 0, 0, 0);
}

std::string Text(const ZafUTimeData& t)
{
    char b[40];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d", t.Year(), t.Month(), t.Day(), t.Hour(), t.Minute());
    return b;
}

}  // namespace

TEST(ViewGrid, ShownDaysOfMarch2013InEveryMode)
{
    struct Case {
        int mode;
        ZafUTimeData current;
        int cells;
        ZafUTimeData first, last;
    } cases[] = {
        // Any day of March gives the same month grid.
        {ORV_VIEW_MONTH, Day(2013, 3, 1), 42, Day(2013, 2, 25), Day(2013, 4, 7)},
        {ORV_VIEW_MONTH, Day(2013, 3, 13), 42, Day(2013, 2, 25), Day(2013, 4, 7)},
        {ORV_VIEW_MONTH, Day(2013, 3, 31), 42, Day(2013, 2, 25), Day(2013, 4, 7)},
        // A month that begins on a Monday starts with its first.
        {ORV_VIEW_MONTH, Day(2013, 4, 20), 42, Day(2013, 4, 1), Day(2013, 5, 12)},
        // A month that begins on a Sunday starts six days before.
        {ORV_VIEW_MONTH, Day(2013, 9, 10), 42, Day(2013, 8, 26), Day(2013, 10, 6)},
        {ORV_VIEW_FOURWEEKS, Day(2013, 3, 13), 28, Day(2013, 3, 11), Day(2013, 4, 7)},
        // Sunday belongs to the week before it, Monday starts its own.
        {ORV_VIEW_FOURWEEKS, Day(2013, 3, 17), 28, Day(2013, 3, 11), Day(2013, 4, 7)},
        {ORV_VIEW_FOURWEEKS, Day(2013, 3, 18), 28, Day(2013, 3, 18), Day(2013, 4, 14)},
        {ORV_VIEW_WEEK, Day(2013, 3, 13), 7, Day(2013, 3, 11), Day(2013, 3, 17)},
        {ORV_VIEW_WEEK, Day(2013, 3, 3), 7, Day(2013, 2, 25), Day(2013, 3, 3)},
        {ORV_VIEW_DAY, Day(2013, 3, 13), 1, Day(2013, 3, 13), Day(2013, 3, 13)},
    };
    for (const Case& c : cases) {
        std::vector<ZafUTimeData> days = OrvTableDays(c.mode, c.current);
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " at " + Text(c.current));
        ASSERT_EQ(static_cast<int>(days.size()), c.cells);
        EXPECT_EQ(Text(days.front()), Text(c.first));
        EXPECT_EQ(Text(days.back()), Text(c.last));
        EXPECT_EQ(days.front().DayOfWeek() == 1 || c.mode == ORV_VIEW_DAY, true);
        for (size_t i = 1; i < days.size(); ++i)
            ASSERT_EQ(days[i].Difference(days[i - 1]), 86400000) << "consecutive days at " << i;
    }
}

TEST(ViewGrid, TimeOfDayDoesNotMoveTheGrid)
{
    // A current date late in the evening still lays out from noon.
    std::vector<ZafUTimeData> days = OrvTableDays(ORV_VIEW_WEEK, ZafUTimeData(2013, 3, 17, 23, 59, 59, 999));
    EXPECT_EQ(Text(days.front()), "2013-03-11 12:00");
    EXPECT_EQ(Text(days.back()), "2013-03-17 12:00");
}

TEST(ViewGrid, GridSizesOfTheModes)
{
    struct Case {
        int mode, rows, columns, cells;
    } cases[] = {{1, 6, 7, 42}, {2, 4, 7, 28}, {3, 1, 7, 7}, {4, 1, 1, 1}, {0, 0, 0, 0}, {5, 0, 0, 0}, {-1, 0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(OrvGridRows(c.mode), c.rows) << c.mode;
        EXPECT_EQ(OrvGridColumns(c.mode), c.columns) << c.mode;
        EXPECT_EQ(OrvGridCells(c.mode), c.cells) << c.mode;
        EXPECT_TRUE(OrvTableDays(c.mode, Day(2013, 3, 1)).size() == static_cast<size_t>(c.cells));
    }
}

TEST(ViewGrid, TableNavigationAcrossMonthAndYearEnds)
{
    struct Case {
        int mode;
        bool forward;
        ZafUTimeData from, to;
    } cases[] = {
        {ORV_VIEW_MONTH, true, Day(2013, 12, 15), Day(2014, 1, 15)},
        {ORV_VIEW_MONTH, false, Day(2013, 1, 15), Day(2012, 12, 15)},
        {ORV_VIEW_MONTH, true, Day(2013, 3, 13), Day(2013, 4, 13)},
        // A day the target month lacks becomes its last day.
        {ORV_VIEW_MONTH, true, Day(2013, 1, 31), Day(2013, 2, 28)},
        {ORV_VIEW_MONTH, true, Day(2012, 1, 31), Day(2012, 2, 29)},
        {ORV_VIEW_MONTH, false, Day(2013, 3, 31), Day(2013, 2, 28)},
        {ORV_VIEW_MONTH, true, Day(2013, 3, 31), Day(2013, 4, 30)},
        {ORV_VIEW_FOURWEEKS, true, Day(2013, 3, 13), Day(2013, 3, 20)},
        {ORV_VIEW_FOURWEEKS, true, Day(2013, 12, 28), Day(2014, 1, 4)},
        {ORV_VIEW_FOURWEEKS, false, Day(2013, 1, 3), Day(2012, 12, 27)},
        {ORV_VIEW_WEEK, true, Day(2012, 2, 27), Day(2012, 3, 5)},
        {ORV_VIEW_WEEK, false, Day(2013, 1, 2), Day(2012, 12, 26)},
        {ORV_VIEW_DAY, true, Day(2013, 12, 31), Day(2014, 1, 1)},
        {ORV_VIEW_DAY, false, Day(2013, 3, 1), Day(2013, 2, 28)},
        {ORV_VIEW_DAY, true, Day(2012, 2, 28), Day(2012, 2, 29)},
    };
    for (const Case& c : cases) {
        ZafUTimeData got = c.forward ? OrvTableForward(c.mode, c.from) : OrvTableBack(c.mode, c.from);
        EXPECT_EQ(Text(got), Text(c.to)) << "mode " << c.mode << (c.forward ? " forward from " : " back from ")
                                         << Text(c.from);
    }
    // Evening input still steps to noon.
    EXPECT_EQ(Text(OrvTableForward(ORV_VIEW_DAY, ZafUTimeData(2013, 3, 1, 23, 30, 0))), "2013-03-02 12:00");
}

TEST(ViewGrid, SmallCalendarMonthGrids)
{
    struct Case {
        ZafUTimeData current;
        ZafUTimeData first;
        int firstState;
        ZafUTimeData last;
        int previousDays;   // days of the month before
    } cases[] = {
        {Day(2013, 3, 13), Day(2013, 2, 25), ORV_MONTHSTATE_PREVIOUS, Day(2013, 4, 7), 4},
        {Day(2013, 4, 30), Day(2013, 4, 1), ORV_MONTHSTATE_CURRENT, Day(2013, 5, 12), 0},
        // February 2010 begins on a Monday and has 28 days: two whole
        // weeks of March follow.
        {Day(2010, 2, 1), Day(2010, 2, 1), ORV_MONTHSTATE_CURRENT, Day(2010, 3, 14), 0},
        // September 2013 begins on a Sunday.
        {Day(2013, 9, 1), Day(2013, 8, 26), ORV_MONTHSTATE_PREVIOUS, Day(2013, 10, 6), 6},
        // Across the year: December 2013 and January 2014.
        {Day(2014, 1, 15), Day(2013, 12, 30), ORV_MONTHSTATE_PREVIOUS, Day(2014, 2, 9), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Text(c.current));
        std::vector<OrvMonthDay> days = OrvMonthGrid(c.current);
        ASSERT_EQ(days.size(), 42u);
        EXPECT_EQ(Text(days.front().date), Text(c.first));
        EXPECT_EQ(days.front().monthState, c.firstState);
        EXPECT_EQ(Text(days.back().date), Text(c.last));
        EXPECT_EQ(days.back().monthState, ORV_MONTHSTATE_NEXT);
        int counts[4] = {0, 0, 0, 0};
        int lastState = ORV_MONTHSTATE_PREVIOUS;
        for (const OrvMonthDay& d : days) {
            ASSERT_GE(d.monthState, lastState) << "states run previous, shown, next";
            lastState = d.monthState;
            counts[d.monthState]++;
            EXPECT_EQ(d.monthState == ORV_MONTHSTATE_CURRENT, d.date.Month() == c.current.Month());
        }
        EXPECT_EQ(counts[ORV_MONTHSTATE_PREVIOUS], c.previousDays);
        EXPECT_EQ(counts[ORV_MONTHSTATE_CURRENT], c.current.DaysInMonth());
        EXPECT_EQ(counts[ORV_MONTHSTATE_NONE], 0);
    }
}

TEST(ViewGrid, SmallCalendarStepsToTheFirstOfTheMonth)
{
    struct Case {
        bool forward;
        ZafUTimeData from, to;
    } cases[] = {
        {true, Day(2013, 1, 31), Day(2013, 2, 1)},   // not into March
        {true, Day(2013, 12, 15), Day(2014, 1, 1)},
        {false, Day(2013, 1, 31), Day(2012, 12, 1)},
        {false, Day(2013, 3, 31), Day(2013, 2, 1)},
        {true, ZafUTimeData(2013, 5, 20, 0, 0, 1), Day(2013, 6, 1)},
    };
    for (const Case& c : cases) {
        ZafUTimeData got = c.forward ? OrvMonthForward(c.from) : OrvMonthBack(c.from);
        EXPECT_EQ(Text(got), Text(c.to)) << Text(c.from);
    }
}

TEST(ViewGrid, TimeValuesRoundTripAsUTC)
{
    // The set-date value of 15 March 2013, 12:00 UTC.
    EXPECT_EQ(OrvTimeValue(Day(2013, 3, 15)), 1363348800);
    EXPECT_EQ(Text(OrvDateFromTimeValue(1363348800)), "2013-03-15 12:00");
    const ZafUTimeData dates[] = {Day(1970, 1, 1), Day(1969, 12, 31), Day(2012, 2, 29), Day(2099, 12, 31),
                                  ZafUTimeData(2013, 1, 1, 0, 0, 0), ZafUTimeData(2012, 12, 31, 23, 59, 59)};
    for (const ZafUTimeData& d : dates) EXPECT_EQ(Text(OrvDateFromTimeValue(OrvTimeValue(d))), Text(d));
    EXPECT_EQ(OrvDateFromTimeValue(-1).Second(), 59);
}

TEST(ViewGrid, CellRectanglesWithAndWithoutGridLines)
{
    struct Case {
        int rows, columns;
        bool lines;
        int width, height, index;
        OrvRect expected;
    } cases[] = {
        // With lines: (708 - 7) / 7 = 100 wide, (600 - 6) / 6 = 99 high,
        // one pixel between.
        {6, 7, true, 708, 600, 0, {1, 1, 100, 99}},
        {6, 7, true, 708, 600, 8, {102, 101, 100, 99}},
        {6, 7, true, 708, 600, 41, {607, 501, 100, 99}},
        // Without: (708 + 1) / 7 = 101, (600 + 1) / 6 = 100, touching.
        {6, 7, false, 708, 600, 0, {0, 0, 101, 100}},
        {6, 7, false, 708, 600, 8, {101, 100, 101, 100}},
        {1, 1, true, 300, 200, 0, {1, 1, 299, 199}},
        {4, 7, false, 700, 400, 27, {600, 300, 100, 100}},
        {0, 0, true, 700, 400, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        OrvRect r = OrvGridCellRect(c.rows, c.columns, c.lines, c.width, c.height, c.index);
        EXPECT_EQ(r, c.expected) << c.rows << "x" << c.columns << " lines " << c.lines << " cell " << c.index << ": "
                                 << r.x << "," << r.y << " " << r.width << "x" << r.height;
    }
}

TEST(ViewGrid, CellColoursByPrecedence)
{
    ZafUTimeData saturday = Day(2013, 3, 16), friday = Day(2013, 3, 15), sunday = Day(2013, 3, 17);
    ZafUTimeData elsewhere = Day(2000, 1, 1);
    struct Case {
        ZafUTimeData cell, current, today;
        OrvCellState state;
        OrvRgb cellColour, headerColour;
    } cases[] = {
        // Selected beats today, today beats the weekend.
        {saturday, saturday, saturday, OrvCellState::Selected, {255, 231, 156}, {247, 224, 147}},
        {saturday, elsewhere, saturday, OrvCellState::Today, {223, 234, 244}, {215, 226, 236}},
        {friday, elsewhere, elsewhere, OrvCellState::Workday, {255, 255, 255}, {247, 247, 247}},
        {saturday, elsewhere, elsewhere, OrvCellState::Weekend, {247, 247, 247}, {239, 239, 239}},
        {sunday, elsewhere, elsewhere, OrvCellState::Weekend, {247, 247, 247}, {239, 239, 239}},
        // Only the calendar day counts.
        {friday, ZafUTimeData(2013, 3, 15, 0, 0, 0), elsewhere, OrvCellState::Selected, {255, 231, 156},
         {247, 224, 147}},
    };
    for (const Case& c : cases) {
        OrvCellState state = OrvTableCellState(c.cell, c.current, c.today);
        EXPECT_EQ(state, c.state) << Text(c.cell);
        EXPECT_EQ(OrvCellColour(state), c.cellColour) << Text(c.cell);
        EXPECT_EQ(OrvDayHeaderColour(state), c.headerColour) << Text(c.cell);
    }
}

TEST(ViewGrid, CaptionsAndStateImages)
{
    EXPECT_EQ(OrvDayCaption(Day(2013, 3, 5)), "05.03.");
    EXPECT_EQ(OrvDayCaption(Day(2013, 12, 31)), "31.12.");
    EXPECT_EQ(OrvEntryCaption(ZafUTimeData(2013, 3, 5, 9, 5, 0), "Salsa"), "09:05 Salsa");
    EXPECT_EQ(OrvEntryCaption(ZafUTimeData(2013, 3, 5, 0, 0, 0), ""), "00:00 ");

    struct Case {
        int state;
        const char* image;
    } cases[] = {{0, "PUBLISHSTATE_STOPPED"}, {1, "PUBLISHSTATE_PUBLISHED"}, {2, "PUBLISHSTATE_WAITING"},
                 {3, nullptr},
                 {-1, nullptr}};
    for (const Case& c : cases) {
        const char* got = OrvPublishStateImage(c.state);
        if (c.image) EXPECT_STREQ(got, c.image) << c.state;
        else EXPECT_EQ(got, nullptr) << c.state;
    }
}

TEST(ViewGrid, WholeDaysShowNoTimeAndStandOnEveryDayTheyCover)
{
    EXPECT_EQ(OrvEntryCaption(ZafUTimeData(2025, 3, 15, 0, 0, 0), "Tanzwochenende", true), "Tanzwochenende");
    OrvCalendar calendar;
    calendar.LoadText("BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:Wochenende\nDTSTART;VALUE=DATE:20250315\n"
                      "DTEND;VALUE=DATE:20250317\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:Abend\n"
                      "DTSTART:20250315T200000\nDTEND:20250316T020000\nEND:VEVENT\nEND:VCALENDAR\n");
    struct Case {
        int day;
        std::vector<std::string> shown;
    } cases[] = {{14, {}}, {15, {"Wochenende", "Abend"}}, {16, {"Wochenende"}}, {17, {}}};
    for (const Case& c : cases) {
        std::vector<std::string> shown;
        for (const OrvDayItem& item : OrvCalendarDayItems(&calendar, ZafUTimeData(2025, 3, c.day, 12, 0, 0))) {
            shown.push_back(item.summary);
            EXPECT_EQ(item.allDay, item.summary == "Wochenende");
        }
        EXPECT_EQ(shown, c.shown) << c.day;
    }
}

namespace {

TEST(ViewGrid, KeyTargetsOfTheMonthTable)
{
    const ZafUTimeData today = ZafUTimeData(2020, 6, 15, 9, 30, 0, 0);
    const struct {
        int mode;
        ZafUTimeData from;
        OrvTableKey key;
        const char* to;
    } cases[] = {
        {ORV_VIEW_MONTH, ZafUTimeData(2013, 2, 28, 8, 0, 0, 0), OrvTableKey::Right, "2013-03-01"},
        {ORV_VIEW_MONTH, ZafUTimeData(2013, 1, 1, 12, 0, 0, 0), OrvTableKey::Left, "2012-12-31"},
        {ORV_VIEW_FOURWEEKS, ZafUTimeData(2013, 3, 28, 12, 0, 0, 0), OrvTableKey::Down, "2013-04-04"},
        {ORV_VIEW_WEEK, ZafUTimeData(2013, 3, 4, 12, 0, 0, 0), OrvTableKey::Up, "2013-02-25"},
        // The day mode has no rows: up and down step one day.
        {ORV_VIEW_DAY, ZafUTimeData(2013, 3, 4, 12, 0, 0, 0), OrvTableKey::Down, "2013-03-05"},
        {ORV_VIEW_DAY, ZafUTimeData(2013, 3, 4, 12, 0, 0, 0), OrvTableKey::Up, "2013-03-03"},
        // A month on, keeping the day; a day the month lacks becomes its last.
        {ORV_VIEW_WEEK, ZafUTimeData(2013, 1, 31, 12, 0, 0, 0), OrvTableKey::PageDown, "2013-02-28"},
        {ORV_VIEW_MONTH, ZafUTimeData(2013, 1, 15, 12, 0, 0, 0), OrvTableKey::PageUp, "2012-12-15"},
        {ORV_VIEW_FOURWEEKS, ZafUTimeData(2012, 3, 31, 12, 0, 0, 0), OrvTableKey::PageUp, "2012-02-29"},
        {ORV_VIEW_MONTH, ZafUTimeData(2013, 1, 15, 12, 0, 0, 0), OrvTableKey::Home, "2020-06-15"},
    };
    for (const auto& c : cases) {
        const ZafUTimeData to = OrvTableKeyTarget(c.mode, c.from, c.key, today);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", to.Year(), to.Month(), to.Day());
        EXPECT_STREQ(text, c.to) << "mode " << c.mode << " key " << static_cast<int>(c.key);
        EXPECT_EQ(to.Hour(), 12);
    }
}

TEST(ViewGrid, DaysOfTheCurrentMonth)
{
    const ZafUTimeData current(2013, 3, 13, 12, 0, 0, 0);
    EXPECT_TRUE(OrvInCurrentMonth(ZafUTimeData(2013, 3, 1, 0, 0, 0, 0), current));
    EXPECT_TRUE(OrvInCurrentMonth(ZafUTimeData(2013, 3, 31, 23, 0, 0, 0), current));
    EXPECT_FALSE(OrvInCurrentMonth(ZafUTimeData(2013, 2, 28, 12, 0, 0, 0), current));
    EXPECT_FALSE(OrvInCurrentMonth(ZafUTimeData(2012, 3, 13, 12, 0, 0, 0), current)) << "same month, other year";
}

}  // namespace
