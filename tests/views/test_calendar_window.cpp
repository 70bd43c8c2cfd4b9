// The small calendar window driven by clicks on its header and day buttons.
#include <QToolButton>
#include <gtest/gtest.h>

#include "ViewsTestSupport.h"
#include "app/OrvLanguageLib.h"
#include "views/OrvCalendarWindow.h"

namespace {

class CalendarWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        date.Set(Noon(2013, 3, 13));
        window.BindDate(&date);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    OrvCalendarDayButton* Button(int i) const { return window.DayButton(i); }

    ImageRecorder images;
    OrvSharedDate date;
    OrvCalendarWindow window;
};

TEST_F(CalendarWindow, MonthGridsWithTheirMonthStates)
{
    struct Case {
        ZafUTimeData current;
        QString month, year;
        QString firstCaption;
        int firstState;
        ZafUTimeData first, last;
    } cases[] = {
        {Noon(2013, 3, 13), "March", "2013", "25", ORV_MONTHSTATE_PREVIOUS, Noon(2013, 2, 25), Noon(2013, 4, 7)},
        {Noon(2013, 4, 30), "April", "2013", "1", ORV_MONTHSTATE_CURRENT, Noon(2013, 4, 1), Noon(2013, 5, 12)},
        {Noon(2012, 12, 24), "December", "2012", "26", ORV_MONTHSTATE_PREVIOUS, Noon(2012, 11, 26),
         Noon(2013, 1, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(DayText(c.current));
        date.Set(c.current);
        EXPECT_EQ(window.MonthText(), c.month);
        EXPECT_EQ(window.YearText(), c.year);
        EXPECT_EQ(Button(0)->text(), c.firstCaption);
        EXPECT_EQ(Button(0)->MonthState(), c.firstState);
        EXPECT_EQ(DayText(Button(0)->Date()), DayText(c.first));
        EXPECT_EQ(Button(41)->MonthState(), ORV_MONTHSTATE_NEXT);
        EXPECT_EQ(Button(41)->text(), QString::number(c.last.Day()));
        EXPECT_EQ(DayText(Button(41)->Date()), DayText(c.last));
        int selected = 0;
        for (int i = 0; i < OrvCalendarWindow::dayButtonCount; ++i) {
            OrvCalendarDayButton* b = Button(i);
            EXPECT_EQ(b->Date().Hour(), 12);
            if (b->IsSelected()) {
                ++selected;
                EXPECT_EQ(DayText(b->Date()), DayText(c.current));
            }
        }
        EXPECT_EQ(selected, 1);
    }
}

TEST_F(CalendarWindow, ColoursOfTheDayButtons)
{
    date.Set(Noon(2000, 3, 15));   // today is never in this grid
    struct Case {
        int index;
        QColor text, background;
    } cases[] = {
        // 28 February 2000: other month, grey text, window background.
        {0, QColor(192, 192, 192), window.palette().color(QPalette::Window)},
        // 15 March: selected.
        {16, Qt::black, QColor(255, 231, 156)},
        // 14 March: a day of the shown month.
        {15, Qt::black, QColor(245, 245, 242)},
        // 9 April: next month.
        {41, QColor(192, 192, 192), window.palette().color(QPalette::Window)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Button(c.index)->TextColour(), c.text) << c.index;
        EXPECT_EQ(Button(c.index)->Background(), c.background) << c.index;
    }
    // Today's button, when not selected.
    QTest::mouseClick(window.Header()->TodayButton(), Qt::LeftButton);
    ZafUTimeData today = ZafUTimeData::Now();
    EXPECT_TRUE(OrvSameDay(date.Get(), today));
    ZafUTimeData other = Noon(today.Year(), today.Month(), today.Day() == 1 ? 2 : 1);
    date.Set(other);
    for (int i = 0; i < OrvCalendarWindow::dayButtonCount; ++i)
        if (OrvSameDay(Button(i)->Date(), today)) EXPECT_EQ(Button(i)->Background(), QColor(223, 234, 244));
}

TEST_F(CalendarWindow, HeaderButtonsStepWholeMonths)
{
    struct Case {
        ZafUTimeData from;
        bool forward;
        ZafUTimeData to;
        QString month, year;
    } cases[] = {
        {Noon(2013, 1, 31), true, Noon(2013, 2, 1), "February", "2013"},   // not into March
        {Noon(2013, 12, 15), true, Noon(2014, 1, 1), "January", "2014"},
        {Noon(2013, 1, 10), false, Noon(2012, 12, 1), "December", "2012"},
        {Noon(2013, 3, 31), false, Noon(2013, 2, 1), "February", "2013"},
    };
    for (const Case& c : cases) {
        date.Set(c.from);
        QToolButton* button = c.forward ? window.Header()->ForwardButton() : window.Header()->BackButton();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(DayText(date.Get()), DayText(c.to)) << DayText(c.from);
        EXPECT_EQ(date.Get().Hour(), 12);
        EXPECT_EQ(window.MonthText(), c.month);
        EXPECT_EQ(window.YearText(), c.year);
    }
}

TEST_F(CalendarWindow, ChoosingADaySetsTheSharedDateForEveryView)
{
    OrvCalendarTable table;
    table.BindDate(&date);
    table.SetViewMode(ORV_VIEW_MONTH);
    struct Case {
        int index;
        ZafUTimeData chosen;
        QString month;
        ZafUTimeData firstButton;
    } cases[] = {
        // 7 April from the March grid: the grid moves to April.
        {41, Noon(2013, 4, 7), "April", Noon(2013, 4, 1)},
        // 1 April stands first in April's grid.
        {0, Noon(2013, 4, 1), "April", Noon(2013, 4, 1)},
        // 29 April, then the first button of the next row of May days.
        {28, Noon(2013, 4, 29), "April", Noon(2013, 4, 1)},
        {35, Noon(2013, 5, 6), "May", Noon(2013, 4, 29)},
    };
    for (const Case& c : cases) {
        QTest::mouseClick(Button(c.index), Qt::LeftButton);
        EXPECT_EQ(DayText(date.Get()), DayText(c.chosen)) << c.index;
        EXPECT_EQ(window.MonthText(), c.month) << c.index;
        EXPECT_EQ(DayText(Button(0)->Date()), DayText(c.firstButton)) << c.index;
        // The month table follows the same date.
        ASSERT_NE(table.CellOf(c.chosen), nullptr);
        EXPECT_TRUE(table.CellOf(c.chosen)->IsSelected());
    }
}

TEST_F(CalendarWindow, CommandsAndTheirAddressee)
{
    OrvCalendarWindow other;
    other.BindDate(&date);
    // A day choice addressed to another window passes this one by.
    EXPECT_EQ(window.Event(OrvEvent(ORV_CMD_DAY_CHOSEN, OrvTimeValue(Noon(2013, 8, 8)), &other)), 0);
    EXPECT_EQ(DayText(date.Get()), "2013-03-13");
    EXPECT_EQ(window.Event(OrvEvent(ORV_CMD_DAY_CHOSEN, OrvTimeValue(Noon(2013, 8, 8)), &window)), ORV_CMD_DAY_CHOSEN);
    EXPECT_EQ(DayText(date.Get()), "2013-08-08");
    EXPECT_EQ(other.MonthText(), "August");
    // A time value late in the UTC day is still that day at noon.
    window.Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(ZafUTimeData(2013, 9, 30, 23, 59, 59))));
    EXPECT_EQ(DayText(date.Get()), "2013-09-30");
    EXPECT_EQ(date.Get().Hour(), 12);
    window.Event(OrvEvent(ORV_CMD_SET_DATE, 0));
    EXPECT_EQ(DayText(date.Get()), "2013-09-30");
    EXPECT_EQ(window.Event(OrvEvent(ORV_CMD_VIEW_MODE, 1)), 0);
}

TEST_F(CalendarWindow, FixedSizeAndButtonGrid)
{
    EXPECT_EQ(window.size(), QSize(148, 24 + 18 + 127));
    // 21 by 21 pixels, seven to a row, rows touching below the strips.
    EXPECT_EQ(Button(0)->geometry(), QRect(0, 42, 21, 21));
    EXPECT_EQ(Button(8)->geometry(), QRect(21, 63, 21, 21));
    EXPECT_EQ(Button(41)->geometry(), QRect(126, 147, 21, 21));
    EXPECT_EQ(window.DayNames()->Names(), (QStringList{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}));
    EXPECT_TRUE(images.asked.count("TODAY"));
    EXPECT_TRUE(images.asked.count("ARROW_LEFT"));
    EXPECT_TRUE(images.asked.count("ARROW_RIGHT"));
}

TEST_F(CalendarWindow, GermanNamesFromTheLanguageLibrary)
{
    OrvInstallLanguage(new OrvLanguageLib(std::string(ORV_TEST_BIN_DIR) + "/lang_de.so"));
    ASSERT_EQ(OrvLanguage()->Bind(), 0);
    {
        OrvCalendarWindow german;
        german.BindDate(&date);
        OrvCalendarTable table;
        table.BindDate(&date);
        // The library's texts are in the window code page; the umlaut must
        // survive the way into the widgets.
        EXPECT_EQ(german.MonthText(), QString::fromUtf8("März"));
        EXPECT_EQ(german.DayNames()->Names(), (QStringList{"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"}));
        EXPECT_EQ(table.Header()->TodayButton()->text(), "Heute");
        EXPECT_EQ(table.Header()->ModeButton(ORV_VIEW_FOURWEEKS)->text(), "4 Wochen");
        EXPECT_EQ(table.Header()->ModeButton(ORV_VIEW_MONTH)->text(), "Monat");
    }
    OrvInstallLanguage(new OrvLanguageLib(std::string(ORV_TEST_BIN_DIR) + "/lang_en.so"));
    ASSERT_EQ(OrvLanguage()->Bind(), 0);
}

TEST_F(CalendarWindow, ADestroyedViewIsNoLongerNotified)
{
    auto* transient = new OrvCalendarWindow;
    transient->BindDate(&date);
    EXPECT_EQ(date.ListenerCount(), 2);
    delete transient;
    EXPECT_EQ(date.ListenerCount(), 1);
    date.Set(Noon(2014, 2, 2));   // would crash on a stale listener
    EXPECT_EQ(window.MonthText(), "February");
}

}  // namespace
