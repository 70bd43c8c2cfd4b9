// The month table driven as the user does: clicks on the header, the cells
// and the entries, right clicks for the context menu.
#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ViewsTestSupport.h"
#include "platform/qt/OrvQtEvent.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvCalendarWindow.h"
#include "views/OrvCategoryFilter.h"
#include "platform/qt/OrvMessageWindow.h"

namespace {

class CalendarTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCategoryTable();
        date.Set(Noon(2013, 3, 13));
        table = new OrvCalendarTable(&window);
        table->BindDate(&date);
        table->SetCalendar(&doc.document);
        window.resize(708, 40 + 16 + 600);
        table->setGeometry(0, 0, 708, 40 + 16 + 600);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override
    {
        delete table;
        ResetCategoryTable();
    }

    // Clicks the header's view-mode button of a mode.
    void ChooseMode(int mode)
    {
        QTest::mouseClick(table->Header()->ModeButton(mode), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static void Click(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(w, button, {}, QPoint(w->width() / 2, w->height() - 3));
    }
    std::vector<std::string> Captions(const ZafUTimeData& day) const
    {
        std::vector<std::string> out;
        OrvCalendarTableDay* cell = table->CellOf(day);
        if (!cell) return out;
        for (OrvCalendarTableEvent* e : cell->Entries()) out.push_back(e->Caption().toStdString());
        return out;
    }

    ImageRecorder images;
    TestDocument doc;
    OrvSharedDate date;
    CommandRecorder window;
    OrvCalendarTable* table = nullptr;
};

TEST_F(CalendarTable, EveryViewModeLaysOutMarch2013FromTheHeader)
{
    struct Case {
        int mode;
        int cells;
        ZafUTimeData first, last;
        QStringList dayNames;
    } cases[] = {
        {ORV_VIEW_MONTH, 42, Noon(2013, 2, 25), Noon(2013, 4, 7), {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}},
        {ORV_VIEW_FOURWEEKS, 28, Noon(2013, 3, 11), Noon(2013, 4, 7),
         {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}},
        {ORV_VIEW_WEEK, 7, Noon(2013, 3, 11), Noon(2013, 3, 17), {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}},
        // The single day is the current one; its weekday names the column.
        {ORV_VIEW_DAY, 1, Noon(2013, 3, 13), Noon(2013, 3, 13), {"Wed"}},
        // Back to a mode shown before.
        {ORV_VIEW_MONTH, 42, Noon(2013, 2, 25), Noon(2013, 4, 7), {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        ChooseMode(c.mode);
        EXPECT_EQ(table->ViewMode(), c.mode);
        ASSERT_EQ(table->CellCount(), c.cells);
        EXPECT_EQ(DayText(table->Cell(0)->Date()), DayText(c.first));
        EXPECT_EQ(DayText(table->Cell(c.cells - 1)->Date()), DayText(c.last));
        EXPECT_EQ(table->DayNames()->Names(), c.dayNames);
        for (int m = 1; m <= 4; ++m) EXPECT_EQ(table->Header()->ModeButton(m)->isChecked(), m == c.mode) << m;
        int selected = 0;
        for (int i = 0; i < table->CellCount(); ++i) {
            OrvCalendarTableDay* cell = table->Cell(i);
            if (cell->IsSelected()) {
                ++selected;
                EXPECT_EQ(DayText(cell->Date()), "2013-03-13");
                EXPECT_EQ(cell->Colour(), QColor(255, 231, 156));
                EXPECT_EQ(cell->DayHeader()->Button()->Background(), QColor(247, 224, 147));
            }
            EXPECT_EQ(cell->DayHeader()->Button()->text().toStdString(), OrvDayCaption(cell->Date()));
        }
        EXPECT_EQ(selected, 1);
    }
}

TEST_F(CalendarTable, CellsTileTheGridBelowHeaderAndDayNames)
{
    ChooseMode(ORV_VIEW_MONTH);
    // 600 pixels below the strips, six rows with grid lines: 99 high.
    EXPECT_EQ(table->Cell(0)->geometry(), QRect(1, 57, 100, 99));
    EXPECT_EQ(table->Cell(8)->geometry(), QRect(102, 157, 100, 99));
    table->SetGridLines(false);
    EXPECT_EQ(table->Cell(8)->geometry(), QRect(101, 156, 101, 100));
    EXPECT_EQ(table->Header()->geometry(), QRect(0, 0, 708, 40));
    EXPECT_EQ(table->DayNames()->geometry(), QRect(0, 40, 708, 16));
    // The mode buttons stand at the right edge, month leftmost, day last.
    EXPECT_LT(table->Header()->ModeButton(1)->x(), table->Header()->ModeButton(2)->x());
    EXPECT_LT(table->Header()->ModeButton(3)->x(), table->Header()->ModeButton(4)->x());
    EXPECT_LE(table->Header()->ModeButton(4)->geometry().right(), 708);
}

TEST_F(CalendarTable, WithoutStripsTheGridTakesTheWholeTable)
{
    ChooseMode(ORV_VIEW_WEEK);
    table->SetHeaderHeight(0);
    EXPECT_EQ(table->Header(), nullptr);
    EXPECT_EQ(table->Cell(0)->geometry(), QRect(1, 17, 100, 656 - 16 - 1));
    table->SetDayNamesHeight(0);
    EXPECT_EQ(table->DayNames(), nullptr);
    EXPECT_EQ(table->Cell(0)->geometry(), QRect(1, 1, 100, 655));
    // Back again, with the current mode pressed.
    table->SetHeaderHeight(40);
    table->SetDayNamesHeight(16);
    ASSERT_NE(table->Header(), nullptr);
    EXPECT_TRUE(table->Header()->ModeButton(ORV_VIEW_WEEK)->isChecked());
    EXPECT_EQ(table->DayNames()->Names().size(), 7);
    EXPECT_EQ(table->Cell(0)->geometry(), QRect(1, 57, 100, 599));
}

TEST_F(CalendarTable, NavigationButtonsAcrossMonthAndYearEnds)
{
    struct Case {
        int mode;
        ZafUTimeData from;
        bool forward;
        int clicks;
        ZafUTimeData to, firstCell;
    } cases[] = {
        // Four weeks: seven days, so the grid scrolls by one row.
        {ORV_VIEW_FOURWEEKS, Noon(2013, 3, 13), true, 1, Noon(2013, 3, 20), Noon(2013, 3, 18)},
        {ORV_VIEW_FOURWEEKS, Noon(2013, 12, 28), true, 1, Noon(2014, 1, 4), Noon(2013, 12, 30)},
        {ORV_VIEW_MONTH, Noon(2013, 1, 15), false, 1, Noon(2012, 12, 15), Noon(2012, 11, 26)},
        {ORV_VIEW_MONTH, Noon(2013, 11, 30), true, 2, Noon(2014, 1, 30), Noon(2013, 12, 30)},
        {ORV_VIEW_MONTH, Noon(2013, 1, 31), true, 1, Noon(2013, 2, 28), Noon(2013, 1, 28)},
        {ORV_VIEW_WEEK, Noon(2013, 1, 2), false, 1, Noon(2012, 12, 26), Noon(2012, 12, 24)},
        {ORV_VIEW_DAY, Noon(2013, 12, 31), true, 1, Noon(2014, 1, 1), Noon(2014, 1, 1)},
        {ORV_VIEW_DAY, Noon(2013, 3, 1), false, 3, Noon(2013, 2, 26), Noon(2013, 2, 26)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " from " + DayText(c.from));
        ChooseMode(c.mode);
        date.Set(c.from);
        std::string rowTwo = table->CellCount() > 7 ? DayText(table->Cell(7)->Date()) : "";
        QToolButton* button = c.forward ? table->Header()->ForwardButton() : table->Header()->BackButton();
        for (int i = 0; i < c.clicks; ++i) QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(DayText(date.Get()), DayText(c.to));
        EXPECT_EQ(date.Get().Hour(), 12);
        EXPECT_EQ(DayText(table->Cell(0)->Date()), DayText(c.firstCell));
        if (c.mode == ORV_VIEW_FOURWEEKS) EXPECT_EQ(DayText(table->Cell(0)->Date()), rowTwo);
        ASSERT_NE(table->CellOf(c.to), nullptr);
        EXPECT_TRUE(table->CellOf(c.to)->IsSelected());
    }
}

TEST_F(CalendarTable, TodayAndSetDateCommands)
{
    QTest::mouseClick(table->Header()->TodayButton(), Qt::LeftButton);
    EXPECT_TRUE(OrvSameDay(date.Get(), ZafUTimeData::Now()));
    ASSERT_NE(table->CellOf(ZafUTimeData::Now()), nullptr);
    // The cell of today that is also the current one shows selected.
    EXPECT_EQ(table->CellOf(ZafUTimeData::Now())->Colour(), QColor(255, 231, 156));

    table->Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(ZafUTimeData(2013, 3, 5, 23, 59, 0))));
    EXPECT_EQ(DayText(date.Get()), "2013-03-05");
    EXPECT_EQ(date.Get().Hour(), 12);
    table->Event(OrvEvent(ORV_CMD_SET_DATE, 0));   // ignored
    EXPECT_EQ(DayText(date.Get()), "2013-03-05");
    // An unknown mode leaves the grid alone.
    table->Event(OrvEvent(ORV_CMD_VIEW_MODE, 9));
    EXPECT_EQ(table->ViewMode(), ORV_VIEW_FOURWEEKS);
    EXPECT_EQ(table->CellCount(), 28);
}

TEST_F(CalendarTable, EntriesFollowTheListWithCategoryColours)
{
    ChooseMode(ORV_VIEW_MONTH);
    doc.Add(ZafUTimeData(2013, 3, 13, 20, 0, 0), "Salsa night", {301});
    doc.Add(ZafUTimeData(2013, 3, 13, 9, 30, 0), "Kurs", {101, 301});
    doc.Add(ZafUTimeData(2013, 3, 13, 11, 0, 0), "Without category", {});
    doc.Add(ZafUTimeData(2013, 3, 13, 12, 0, 0), "Category one", {1});
    doc.Add(ZafUTimeData(2013, 3, 13, 13, 0, 0), "Unknown category", {999});
    doc.Add(ZafUTimeData(2013, 3, 13, 14, 0, 0), "Workshop", {201});
    doc.Add(ZafUTimeData(2013, 3, 13, 15, 0, 0), "Festival", {203});
    // Days of the neighbouring months are filled too.
    doc.Add(ZafUTimeData(2013, 2, 26, 19, 0, 0), "February", {102});
    doc.Add(ZafUTimeData(2013, 4, 7, 18, 5, 0), "April", {308});
    // "#p" and "#c" are how the calendar file keeps colons and semicolons.
    doc.Add(ZafUTimeData(2013, 3, 14, 8, 0, 0), "Salsa#p Caf\xc3\xa9#c Bar", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));

    // In list order; no category, category 1 and unknown ones have no entry.
    EXPECT_EQ(Captions(Noon(2013, 3, 13)),
              (std::vector<std::string>{"20:00 Salsa night", "09:30 Kurs", "14:00 Workshop", "15:00 Festival"}));
    EXPECT_EQ(Captions(Noon(2013, 2, 26)), std::vector<std::string>{"19:00 February"});
    EXPECT_EQ(Captions(Noon(2013, 4, 7)), std::vector<std::string>{"18:05 April"});
    // Unescaped, in the window code page, shown as the user typed it.
    ASSERT_EQ(table->CellOf(Noon(2013, 3, 14))->Entries().size(), 1u);
    EXPECT_EQ(table->CellOf(Noon(2013, 3, 14))->Entries()[0]->Caption(), QString::fromUtf8("08:00 Salsa: Café; Bar"));

    struct Colour {
        int index;
        QColor colour;
    } colours[] = {{0, QColor(255, 195, 109)}, {1, QColor(252, 231, 116)}, {2, QColor(255, 171, 109)},
                   {3, QColor(252, 116, 17)}};
    const auto& entries = table->CellOf(Noon(2013, 3, 13))->Entries();
    for (const Colour& c : colours) {
        EXPECT_EQ(entries[c.index]->NormalColour(), c.colour) << c.index;
        EXPECT_EQ(entries[c.index]->Background(), c.colour) << c.index;
    }
    // Stacked one below the other from the top of the client area.
    for (size_t i = 1; i < entries.size(); ++i) EXPECT_GT(entries[i]->y(), entries[i - 1]->geometry().bottom());
    EXPECT_EQ(entries[0]->height(), 22);
    EXPECT_EQ(entries[0]->width(), table->CellOf(Noon(2013, 3, 13))->width() - 2);
}

TEST_F(CalendarTable, ACategoryWithoutColourGivesTheFrameworkGrey)
{
    // Category 1 has no colour; show its events to see the fallback.
    OrvCalendarConfig::Get()->GetCategoryRow(1)->shown = 1;
    doc.Add(ZafUTimeData(2013, 3, 13, 10, 0, 0), "Plain", {1});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    ASSERT_EQ(table->CellOf(Noon(2013, 3, 13))->Entries().size(), 1u);
    EXPECT_EQ(table->CellOf(Noon(2013, 3, 13))->Entries()[0]->NormalColour(), QColor(192, 192, 192));
}

TEST_F(CalendarTable, HiddenFirstCategoryHidesTheEntryAndRebuildFollowsTheFilter)
{
    doc.Add(ZafUTimeData(2013, 3, 13, 20, 0, 0), "Party", {301, 101});
    doc.Add(ZafUTimeData(2013, 3, 13, 21, 0, 0), "Lesson", {101, 301});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    EXPECT_EQ(Captions(Noon(2013, 3, 13)), (std::vector<std::string>{"20:00 Party", "21:00 Lesson"}));

    // The filter hides 301: the event whose first category it is goes,
    // even though its second category is shown; the other stays.
    OrvCalendarConfig::Get()->GetCategoryRow(301)->shown = 0;
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Captions(Noon(2013, 3, 13)), std::vector<std::string>{"21:00 Lesson"});

    // The main window broadcasts the rebuild: the cells take it themselves.
    OrvCalendarConfig::Get()->GetCategoryRow(301)->shown = 1;
    table->CellOf(Noon(2013, 3, 13))->Event(OrvEvent(ORV_CMD_REBUILD));
    EXPECT_EQ(Captions(Noon(2013, 3, 13)), (std::vector<std::string>{"20:00 Party", "21:00 Lesson"}));
}

TEST_F(CalendarTable, CategoryGroupButtonsFilterTheTable)
{
    doc.Add(ZafUTimeData(2013, 3, 13, 20, 0, 0), "Party", {301});
    doc.Add(ZafUTimeData(2013, 3, 13, 21, 0, 0), "Lesson", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    // Like the main window: a changed filter is broadcast as a rebuild.
    window.onEvent = [](const OrvEvent& event) {
        if (event.type == ORV_CMD_CATEGORY_FILTER) OrvBroadcastEvent(OrvEvent(ORV_CMD_REBUILD));
    };
    auto* filter = new OrvCategoryFilter(&window);
    filter->setGeometry(0, 0, 200, 400);
    OrvEventCategoryList* categories = OrvCalendarConfig::Get()->GetEventCategoryList();
    int offered = 0;
    for (int i = 0; i < categories->Count(); ++i) {
        OrvEventCategoryElement* c = categories->Item(i);
        QToolButton* button = filter->Button(c->id);
        if (c->id == 1) {
            EXPECT_EQ(button, nullptr) << "category 1 is not offered";
            continue;
        }
        ++offered;
        ASSERT_NE(button, nullptr) << c->id;
        EXPECT_EQ(button->text(), QString::fromLatin1(OrvCalendarConfig::CategoryName(c->id)));
        EXPECT_EQ(button->isChecked(), c->flag != 0);
    }
    EXPECT_EQ(filter->ButtonCount(), offered);

    struct Case {
        int category;
        std::vector<std::string> captions;
    } cases[] = {
        {301, {"21:00 Lesson"}},
        {101, {}},
        {301, {"20:00 Party"}},
        {101, {"20:00 Party", "21:00 Lesson"}},
    };
    for (const Case& c : cases) {
        QTest::mouseClick(filter->Button(c.category), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(OrvCalendarConfig::Get()->GetCategoryRow(c.category)->shown,
                  filter->Button(c.category)->isChecked() ? 1 : 0);
        EXPECT_EQ(Captions(Noon(2013, 3, 13)), c.captions) << "after toggling " << c.category;
    }
    EXPECT_EQ(window.Of(ORV_CMD_CATEGORY_FILTER).size(), 4u);
    delete filter;
}

TEST_F(CalendarTable, PublishStateAndHighlightImages)
{
    struct Case {
        int state;
        int highlightMinutes;   // highlight at start + minutes; -1: none
        const char* publish;
        const char* highlight;
    } cases[] = {
        {0, -1, "PUBLISHSTATE_STOPPED", nullptr},
        {1, 0, "PUBLISHSTATE_PUBLISHED", "HIGHLIGHT"},
        {2, -1, "PUBLISHSTATE_WAITING", nullptr},
        {5, 0, nullptr, "HIGHLIGHT"},
        // A highlight of another start (another occurrence) does not count.
        {1, 30, "PUBLISHSTATE_PUBLISHED", nullptr},
    };
    table->SetViewMode(ORV_VIEW_MONTH);
    int day = 4;
    for (const Case& c : cases) {
        ZafUTimeData start(2013, 3, day++, 19, 0, 0);
        OrvEventDate* date = doc.Add(start, "Event", {101}, c.state);
        if (c.highlightMinutes >= 0) {
            ZafUTimeData at = start;
            at.AddSeconds(c.highlightMinutes * 60);
            date->event->highlights.SetLevel(at, 1);
        }
    }
    images.asked.clear();
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    day = 4;
    for (const Case& c : cases) {
        OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 3, day++));
        ASSERT_NE(cell, nullptr);
        ASSERT_EQ(cell->Entries().size(), 1u) << c.state;
        OrvCalendarTableEvent* entry = cell->Entries()[0];
        if (c.publish) EXPECT_STREQ(entry->PublishImageName(), c.publish) << c.state;
        else EXPECT_EQ(entry->PublishImageName(), nullptr) << c.state;
        if (c.highlight) EXPECT_STREQ(entry->HighlightImageName(), c.highlight) << c.state;
        else EXPECT_EQ(entry->HighlightImageName(), nullptr) << c.state;
    }
    // The images come from the image source by these names.
    EXPECT_EQ(images.asked, (std::set<std::string>{"PUBLISHSTATE_STOPPED", "PUBLISHSTATE_PUBLISHED",
                                                   "PUBLISHSTATE_WAITING", "HIGHLIGHT"}));
}

TEST_F(CalendarTable, ACellShowsTheFirstEntriesThatFitAndNothingElse)
{
    table->SetViewMode(ORV_VIEW_MONTH);
    for (int i = 0; i < 8; ++i) doc.Add(ZafUTimeData(2013, 3, 13, 8 + i, 0, 0), "E", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 3, 13));
    ASSERT_EQ(cell->Entries().size(), 8u);
    table->resize(708, 40 + 16 + 300);   // cells of 49 pixels
    int fitting = 0;
    for (size_t i = 0; i < cell->Entries().size(); ++i) {
        OrvCalendarTableEvent* e = cell->Entries()[i];
        EXPECT_EQ(e->Caption().toStdString(), OrvEntryCaption(ZafUTimeData(2013, 3, 13, 8 + int(i), 0, 0), "E"));
        bool inside = e->geometry().bottom() < cell->height();
        if (inside) {
            EXPECT_EQ(static_cast<int>(i), fitting) << "only the first ones fit";
            ++fitting;
        }
    }
    // 14 header + 1 + 22 = 37 < 49; the second (from 40) does not fit.
    EXPECT_EQ(fitting, 1);
    EXPECT_EQ(cell->Entries()[1]->y(), 14 + 1 + 25);
}

TEST_F(CalendarTable, ClickingADayOfAnotherMonthMovesOnlyTheSelection)
{
    OrvCalendarWindow small;
    small.BindDate(&date);
    ChooseMode(ORV_VIEW_MONTH);
    doc.Add(ZafUTimeData(2013, 2, 25, 18, 0, 0), "Late February", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    OrvCalendarTableDay* february = table->Cell(0);
    ASSERT_EQ(DayText(february->Date()), "2013-02-25");
    OrvCalendarTableEvent* entry = february->Entries().at(0);

    Click(february);
    EXPECT_EQ(DayText(date.Get()), "2013-02-25");
    // Same cells, same dates, same entries; only the selection moved.
    EXPECT_EQ(table->Cell(0), february);
    EXPECT_EQ(DayText(table->Cell(0)->Date()), "2013-02-25");
    EXPECT_EQ(DayText(table->Cell(41)->Date()), "2013-04-07");
    EXPECT_EQ(february->Entries().at(0), entry);
    EXPECT_TRUE(february->IsSelected());
    EXPECT_FALSE(table->CellOf(Noon(2013, 3, 13))->IsSelected());
    // The small calendar follows the shared date into February.
    EXPECT_EQ(small.MonthText(), "February");

    // The next navigation re-dates the grid: January 2013.
    QTest::mouseClick(table->Header()->BackButton(), Qt::LeftButton);
    EXPECT_EQ(DayText(date.Get()), "2013-01-25");
    EXPECT_EQ(DayText(table->Cell(0)->Date()), "2012-12-31");
    EXPECT_TRUE(table->CellOf(Noon(2013, 1, 25))->IsSelected());
    EXPECT_EQ(small.MonthText(), "January");

    // Clicking the day header's button chooses the day as well.
    OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 1, 2));
    QTest::mouseClick(cell->DayHeader()->Button(), Qt::LeftButton);
    EXPECT_EQ(DayText(date.Get()), "2013-01-02");
    EXPECT_TRUE(cell->IsSelected());
}

TEST_F(CalendarTable, EntrySelectionIsBroadcastAndRestoresItsColour)
{
    OrvEventDate* first = doc.Add(ZafUTimeData(2013, 3, 13, 10, 0, 0), "One", {101});
    OrvEventDate* second = doc.Add(ZafUTimeData(2013, 3, 14, 10, 0, 0), "Two", {201});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    OrvCalendarTableEvent* one = table->CellOf(Noon(2013, 3, 13))->Entries().at(0);
    OrvCalendarTableEvent* two = table->CellOf(Noon(2013, 3, 14))->Entries().at(0);

    Click(one);
    EXPECT_TRUE(one->IsSelected());
    EXPECT_EQ(one->Background(), QColor(186, 196, 204));
    Click(two);
    EXPECT_FALSE(one->IsSelected());
    EXPECT_EQ(one->Background(), QColor(252, 231, 116));
    EXPECT_EQ(two->Background(), QColor(186, 196, 204));
    // A click on a day takes the selection from the entry.
    Click(table->CellOf(Noon(2013, 3, 20)));
    EXPECT_EQ(two->Background(), QColor(255, 171, 109));

    struct Expected {
        intptr_t value;
        void* date;
    } expected[] = {{1, first}, {2, first}, {1, second}, {2, second}};
    std::vector<CommandRecorder::Record> seen = window.Of(ORV_CMD_ENTRY_SELECTED);
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].value, expected[i].value) << i;
        EXPECT_EQ(seen[i].data, expected[i].date) << i;
    }
}

TEST_F(CalendarTable, WithoutATargetTheSelectionReachesEveryWindow)
{
    OrvEventDate* date13 = doc.Add(ZafUTimeData(2013, 3, 13, 10, 0, 0), "One", {101});
    OrvCalendarTable alone;
    alone.BindDate(&date);
    alone.SetCalendar(&doc.document);
    alone.resize(708, 656);
    alone.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&alone));
    CommandRecorder elsewhere;   // another top-level window
    elsewhere.show();
    Click(alone.CellOf(Noon(2013, 3, 13))->Entries().at(0));
    std::vector<CommandRecorder::Record> seen = elsewhere.Of(ORV_CMD_ENTRY_SELECTED);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].value, 1);
    EXPECT_EQ(seen[0].data, date13);
    // The window holding the other table heard it through the broadcast.
    EXPECT_EQ(window.Of(ORV_CMD_ENTRY_SELECTED).size(), 1u);
}

TEST_F(CalendarTable, DoubleClicksCreateAndEditEvents)
{
    OrvEventDate* date14 = doc.Add(ZafUTimeData(2013, 3, 14, 10, 0, 0), "Two", {201});
    table->Event(OrvEvent(ORV_CMD_REBUILD));

    OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 3, 20));
    QTest::mouseDClick(cell, Qt::LeftButton, {}, QPoint(cell->width() / 2, cell->height() - 3));
    std::vector<CommandRecorder::Record> created = window.Of(ORV_CMD_NEW_EVENT);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(DayText(created[0].request.date), "2013-03-20");
    EXPECT_EQ(created[0].request.date.Hour(), 12);
    EXPECT_EQ(created[0].request.category, 0);

    QTest::mouseDClick(table->CellOf(Noon(2013, 3, 14))->Entries().at(0), Qt::LeftButton);
    std::vector<CommandRecorder::Record> edited = window.Of(ORV_CMD_EDIT_EVENT);
    ASSERT_EQ(edited.size(), 1u);
    EXPECT_EQ(edited[0].data, date14);
    EXPECT_EQ(window.Of(ORV_CMD_NEW_EVENT).size(), 1u) << "a double click on an entry creates nothing";
}

TEST_F(CalendarTable, ContextMenuOfADayOffersTheConfiguredCategories)
{
    OrvEventCategoryList* categories = OrvCalendarConfig::Get()->GetEventCategoryList();
    ASSERT_GT(categories->Count(), 1);
    std::vector<QString> expected;
    int lastId = 0;
    for (int i = 0; i < categories->Count(); ++i) {
        if (categories->Item(i)->id == 1) continue;
        expected.push_back("New  " + QString::fromLatin1(OrvCalendarConfig::CategoryName(categories->Item(i)->id)));
        lastId = categories->Item(i)->id;
    }
    OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 3, 21));
    std::vector<MenuLine> lines = RunContextMenu(cell, QPoint(5, 40), expected.back());
    std::vector<QString> texts;
    for (const MenuLine& l : lines) texts.push_back(l.text);
    EXPECT_EQ(texts, expected);
    std::vector<CommandRecorder::Record> created = window.Of(ORV_CMD_NEW_EVENT);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].value, lastId);
    EXPECT_EQ(created[0].request.category, lastId);
    EXPECT_EQ(DayText(created[0].request.date), "2013-03-21");
}

TEST_F(CalendarTable, ContextMenuOfAnEntrySendsItsCommands)
{
    OrvEventDate* date = doc.Add(ZafUTimeData(2013, 3, 14, 10, 0, 0), "Two", {201});
    date->event->highlights.SetLevel(date->start, 1);
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    OrvCalendarTableEvent* entry = table->CellOf(Noon(2013, 3, 14))->Entries().at(0);

    struct Case {
        QString text;
        int command;
    } cases[] = {{"Edit", ORV_CMD_EDIT_EVENT},
                 {"Highlight", ORV_CMD_HIGHLIGHT},
                 {"Supra-regional", ORV_CMD_SUPRAREGIONAL},
                 {"Publish on the social network", ORV_CMD_SOCIAL_PUBLISH},
                 {"Hand over to another user...", ORV_CMD_ASSIGN_USER},
                 {"Delete", ORV_CMD_DELETE_EVENT}};
    for (const Case& c : cases) {
        window.records.clear();
        std::vector<MenuLine> lines = RunContextMenu(entry, QPoint(3, 3), c.text);
        ASSERT_GE(lines.size(), 9u);
        // The entry's part first, then the new-event lines, then delete.
        EXPECT_EQ(lines[0].text, "Edit");
        EXPECT_EQ(lines[1].text, "Highlight");
        EXPECT_TRUE(lines[1].checkable && lines[1].checked) << "the date is highlighted";
        EXPECT_EQ(lines[2].text, "Supra-regional");
        EXPECT_TRUE(lines[2].checkable && !lines[2].checked);
        EXPECT_EQ(lines[5].text, "");
        EXPECT_TRUE(lines[6].text.startsWith("New  "));
        EXPECT_EQ(lines[lines.size() - 2].text, "");
        EXPECT_EQ(lines.back().text, "Delete");
        std::vector<CommandRecorder::Record> sent = window.Of(c.command);
        ASSERT_EQ(sent.size(), 1u) << c.text.toStdString();
        EXPECT_EQ(sent[0].data, date) << c.text.toStdString();
    }
}

TEST_F(CalendarTable, DeletingFromTheMenuRebuildsWithoutTheEntry)
{
    OrvEventDate* date = doc.Add(ZafUTimeData(2013, 3, 14, 10, 0, 0), "Gone soon", {201});
    doc.Add(ZafUTimeData(2013, 3, 14, 11, 0, 0), "Stays", {201});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    // Like the main window: delete the occurrence, then broadcast 10125
    // while the entry's menu is still on the stack.
    window.onEvent = [&](const OrvEvent& event) {
        if (event.type != ORV_CMD_DELETE_EVENT) return;
        auto* gone = static_cast<OrvEventDate*>(event.data);
        doc.document.occurrences.Subtract(gone);
        delete gone;
        OrvBroadcastEvent(OrvEvent(ORV_CMD_REBUILD));
    };
    OrvCalendarTableEvent* entry = table->CellOf(Noon(2013, 3, 14))->Entries().at(0);
    RunContextMenu(entry, QPoint(3, 3), "Delete");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.Of(ORV_CMD_DELETE_EVENT).size(), 1u);
    EXPECT_EQ(window.Of(ORV_CMD_DELETE_EVENT)[0].data, date);
    EXPECT_EQ(Captions(Noon(2013, 3, 14)), std::vector<std::string>{"11:00 Stays"});
    // The selected entry went away: its loss is reported without a date.
    std::vector<CommandRecorder::Record> selection = window.Of(ORV_CMD_ENTRY_SELECTED);
    ASSERT_FALSE(selection.empty());
    EXPECT_EQ(selection.back().value, 2);
    EXPECT_EQ(selection.back().data, nullptr);
}

TEST_F(CalendarTable, EventDatesAreBuiltWhenTheDocumentHasNone)
{
    doc.Add(ZafUTimeData(2013, 3, 15, 19, 30, 0), "From the events", {101}, 1, false);
    ASSERT_EQ(doc.document.occurrences.Count(), 0);
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    EXPECT_GT(doc.document.occurrences.Count(), 0);
    EXPECT_EQ(Captions(Noon(2013, 3, 15)), std::vector<std::string>{"19:30 From the events"});
}

TEST_F(CalendarTable, DestroyedRightAfterAModeChangeWithASelectedEntry)
{
    doc.Add(ZafUTimeData(2013, 3, 13, 10, 0, 0), "One", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    Click(table->CellOf(Noon(2013, 3, 13))->Entries().at(0));
    // The old cells wait for their deletion when the table goes.
    ChooseMode(ORV_VIEW_WEEK);
    Click(table->CellOf(Noon(2013, 3, 13))->Entries().at(0));
    table->SetViewMode(ORV_VIEW_MONTH);
    delete table;
    table = nullptr;
    EXPECT_EQ(date.ListenerCount(), 0);
    // The selected entry's loss was reported before the cells went.
    std::vector<CommandRecorder::Record> seen = window.Of(ORV_CMD_ENTRY_SELECTED);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen.back().value, 2);
}

TEST_F(CalendarTable, RebindingReleasesTheOldDate)
{
    OrvSharedDate other(Noon(2014, 7, 1));
    table->BindDate(&other);
    EXPECT_EQ(date.ListenerCount(), 0);
    EXPECT_EQ(DayText(table->Cell(0)->Date()), "2014-06-30");
    date.Set(Noon(2013, 1, 1));   // no longer followed
    EXPECT_EQ(DayText(table->Cell(0)->Date()), "2014-06-30");
    table->BindDate(&date);
    EXPECT_EQ(DayText(table->Cell(0)->Date()), "2012-12-31");
    // A loaded calendar re-dates every view through the notice alone.
    doc.Add(ZafUTimeData(2013, 1, 1, 20, 0, 0), "New year", {101});
    date.Notify();
    EXPECT_EQ(Captions(Noon(2013, 1, 1)), std::vector<std::string>{"20:00 New year"});
}

}  // namespace

// --- keyboard, long titles, full cells, other months -----------------------

namespace {

TEST_F(CalendarTable, KeysMoveTheCurrentDay)
{
    ASSERT_EQ(table->ViewMode(), ORV_VIEW_FOURWEEKS);   // 11 March .. 7 April 2013
    const struct {
        int key;
        const char* day;
        bool redated;   // the grid is laid out anew (the day was not shown)
    } cases[] = {
        {Qt::Key_Right, "2013-03-14", false}, {Qt::Key_Left, "2013-03-13", false},
        {Qt::Key_Down, "2013-03-20", false},  {Qt::Key_Up, "2013-03-13", false},
        {Qt::Key_Up, "2013-03-06", true},     {Qt::Key_PageDown, "2013-04-06", true},
        {Qt::Key_PageUp, "2013-03-06", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.day);
        const std::string firstBefore = DayText(table->Cell(0)->Date());
        QTest::keyClick(table, static_cast<Qt::Key>(c.key));
        EXPECT_EQ(DayText(date.Get()), c.day);
        EXPECT_TRUE(table->CellOf(date.Get()) && table->CellOf(date.Get())->IsSelected());
        EXPECT_EQ(DayText(table->Cell(0)->Date()) != firstBefore, c.redated);
    }
    QTest::keyClick(table, Qt::Key_Home);
    EXPECT_EQ(DayText(date.Get()), DayText(ZafUTimeData::Now()));
    // Keys with Ctrl belong to the window's shortcuts.
    date.Set(Noon(2013, 3, 13));
    QTest::keyClick(table, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(DayText(date.Get()), "2013-03-13");
}

TEST_F(CalendarTable, EnterOpensOrCreatesAndDeleteAsksFirst)
{
    table->SetCommandTarget(&window);
    OrvEventDate* single = doc.Add(ZafUTimeData(2013, 3, 13, 20, 0, 0), "Salsa", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 3, 13));

    // No entry chosen: Enter creates an event on the current day.
    QTest::keyClick(table, Qt::Key_Return);
    ASSERT_EQ(window.Of(ORV_CMD_NEW_EVENT).size(), 1u);
    EXPECT_EQ(DayText(window.Of(ORV_CMD_NEW_EVENT)[0].request.date), "2013-03-13");
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_TRUE(window.Of(ORV_CMD_DELETE_EVENT).empty()) << "nothing chosen, nothing deleted";

    Click(cell->Entries().at(0));
    QTest::keyClick(table, Qt::Key_Enter);
    ASSERT_EQ(window.Of(ORV_CMD_EDIT_EVENT).size(), 1u);
    EXPECT_EQ(window.Of(ORV_CMD_EDIT_EVENT)[0].data, single);

    // Delete hands the chosen date to the delete command, which asks
    // before anything goes (the series question or the whole event's).
    const bool testMode = OrvMessageWindow::TestMode();
    OrvMessageWindow::SetTestMode(true);
    OrvMessageWindow::ClearRecorded();
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_TRUE(OrvMessageWindow::Recorded().empty()) << "asked once, by the command";
    ASSERT_EQ(window.Of(ORV_CMD_DELETE_EVENT).size(), 1u);
    EXPECT_EQ(window.Of(ORV_CMD_DELETE_EVENT)[0].data, single);
    single->event->rrule.frequency = 4;
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_EQ(window.Of(ORV_CMD_DELETE_EVENT).size(), 2u);
    OrvMessageWindow::SetTestMode(testMode);
}

TEST_F(CalendarTable, LongTitlesEndInAnEllipsisWithTheWholeCaptionAsTooltip)
{
    const char* title = "Salsa Grundkurs fuer Anfaenger mit Partnerwechsel";
    doc.Add(ZafUTimeData(2013, 3, 13, 19, 30, 0), title, {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    const QString caption = QStringLiteral("19:30 ") + QLatin1String(title);
    const struct {
        int tableWidth;
        bool whole;      // the caption fits
        bool withTime;   // cut, but the time still shown
    } cases[] = {{5000, true, true}, {1400, false, true}, {480, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tableWidth);
        table->resize(c.tableWidth, table->height());
        OrvCalendarTableEvent* entry = table->CellOf(Noon(2013, 3, 13))->Entries().at(0);
        EXPECT_EQ(entry->Caption(), caption);
        EXPECT_EQ(entry->toolTip(), caption);
        const QString shown = entry->ShownText();
        EXPECT_LE(entry->fontMetrics().horizontalAdvance(shown), entry->width()) << shown.toStdString();
        EXPECT_EQ(shown == caption, c.whole) << shown.toStdString();
        if (!c.whole) EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_EQ(shown.startsWith(QStringLiteral("19:30")), c.withTime) << shown.toStdString();
        if (!c.withTime) EXPECT_TRUE(shown.startsWith(QStringLiteral("Sal"))) << shown.toStdString();
    }
}

TEST_F(CalendarTable, AFullCellCountsItsHiddenEntriesAndOpensTheDay)
{
    table->SetViewMode(ORV_VIEW_MONTH);
    for (int i = 0; i < 8; ++i) doc.Add(ZafUTimeData(2013, 3, 13, 8 + i, 0, 0), "E", {101});
    table->Event(OrvEvent(ORV_CMD_REBUILD));
    table->resize(708, 40 + 16 + 300);   // cells of 49 pixels: one entry fits
    OrvCalendarTableDay* cell = table->CellOf(Noon(2013, 3, 13));
    EXPECT_EQ(cell->HiddenCount(), 7);
    OrvFlatButton* more = cell->DayHeader()->MoreButton();
    ASSERT_TRUE(more->isVisible());
    EXPECT_EQ(more->text(), QStringLiteral("+7"));
    for (size_t i = 0; i < cell->Entries().size(); ++i) {
        OrvCalendarTableEvent* e = cell->Entries()[i];
        EXPECT_EQ(e->isVisible(), i == 0) << i;
        if (e->isVisible()) EXPECT_LE(e->geometry().bottom(), cell->height() - 1);
    }
    // A cell whose entries all fit shows no marker.
    EXPECT_FALSE(table->CellOf(Noon(2013, 3, 14))->DayHeader()->MoreButton()->isVisible());
    // Day headers do not overlap their marker.
    EXPECT_FALSE(cell->DayHeader()->Button()->geometry().intersects(more->geometry()));

    // The marker opens the day alone, where every entry fits.
    date.Set(Noon(2013, 3, 20));
    QTest::mouseClick(more, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(table->ViewMode(), ORV_VIEW_DAY);
    EXPECT_TRUE(table->Header()->ModeButton(ORV_VIEW_DAY)->isChecked());
    EXPECT_EQ(DayText(date.Get()), "2013-03-13");
    ASSERT_EQ(table->CellCount(), 1);
    EXPECT_EQ(table->Cell(0)->Entries().size(), 8u);
    EXPECT_EQ(table->Cell(0)->HiddenCount(), 0);
}

TEST_F(CalendarTable, HeaderNamesTheMonthAndOtherMonthsAreDimmed)
{
    ChooseMode(ORV_VIEW_MONTH);
    EXPECT_EQ(table->Header()->Title(), QStringLiteral("March 2013"));
    const QColor black(Qt::black);
    const struct {
        int index;
        const char* day;
        bool dimmed;
    } cells[] = {{0, "2013-02-25", true}, {4, "2013-03-01", false}, {30, "2013-03-27", false}, {41, "2013-04-07", true}};
    for (const auto& c : cells) {
        SCOPED_TRACE(c.day);
        OrvCalendarTableDay* cell = table->Cell(c.index);
        EXPECT_EQ(DayText(cell->Date()), c.day);
        EXPECT_EQ(cell->InCurrentMonth(), !c.dimmed);
        EXPECT_EQ(cell->DayHeader()->Button()->TextColour() != black, c.dimmed);
    }
    // Four weeks across a month's end name both months; the title follows
    // the navigation.
    ChooseMode(ORV_VIEW_FOURWEEKS);
    EXPECT_EQ(table->Header()->Title(), QString::fromUtf8("March 2013 \u2013 April 2013"));
    date.Set(Noon(2012, 12, 31));
    ChooseMode(ORV_VIEW_WEEK);
    EXPECT_EQ(table->Header()->Title(), QString::fromUtf8("December 2012 \u2013 January 2013"));
    ChooseMode(ORV_VIEW_DAY);
    EXPECT_EQ(table->Header()->Title(), QStringLiteral("December 2012"));
    // The title never runs into the mode buttons.
    EXPECT_LE(table->Header()->TitleLabel()->geometry().right(),
              table->Header()->ModeButton(ORV_VIEW_MONTH)->geometry().left());
}

}  // namespace
