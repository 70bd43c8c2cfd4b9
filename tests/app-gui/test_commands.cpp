// Command dispatch of the main window with a portal that does not answer:
// the areas, broadcasts, the access pane's groups, import and export,
// deleting event dates, the about dialog and closing.
#include <QAction>
#include <QDialog>
#include <QTest>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <set>

#include "AppGuiFixture.h"
#include "OrvAboutDialog.h"
#include "OrvMainWindow.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/OrvCalendarTable.h"
#include "views/editors/OrvEventRRuleDialog.h"

namespace {

// A top-level window that counts what reaches it.
class Spy : public QWidget, public OrvEventHandler {
public:
    int Event(const OrvEvent& event) override
    {
        events.push_back(event.type);
        return 0;
    }
    int Count(int type) const { return static_cast<int>(std::count(events.begin(), events.end(), type)); }
    std::vector<int> events;
};

const char* const kCalendar =
    "BEGIN:VCALENDAR\n"
    "VERSION:2.0\n"
    "PRODID:-//OrvCalendar test//DE\n"
    "BEGIN:VEVENT\n"
    "UID:single@test\n"
    "DTSTART:20261210T200000\n"
    "DTEND:20261210T230000\n"
    "SUMMARY:Salsa-Abend\n"
    "END:VEVENT\n"
    "BEGIN:VEVENT\n"
    "UID:weekly@test\n"
    "DTSTART:20261201T190000\n"
    "DTEND:20261201T210000\n"
    "RRULE:FREQ=WEEKLY;COUNT=4;\n"
    "SUMMARY:Tanzkurs\n"
    "END:VEVENT\n"
    "END:VCALENDAR\n";

class CommandTest : public AppGuiFixture {
protected:
    void SetUp() override
    {
        Prepare(DefaultConfig() + ExtraConfig());
        OpenStorageAndDatabase();
        window = std::make_unique<OrvMainWindow>();
        // No portal answers: the login sequence goes on as after the
        // dialog's OK, and its download fails.
        window->Hooks().loginDialog = [](bool, bool&) { return ZAF_DIALOG_OK; };
        window->show();
        ASSERT_TRUE(OrvWaitFor([this]() { return window->IsInitialized(); }));
        QApplication::processEvents();
        OrvMessageWindow::ClearRecorded();
    }
    void TearDown() override
    {
        window.reset();
        AppGuiFixture::TearDown();
    }
    virtual std::string ExtraConfig() { return std::string(); }

    void LoadCalendar()
    {
        dir_.Write("in.ics", kCalendar);
        window->Calendar()->Load(dir_.File("in.ics"));
        window->Calendar()->RebuildOccurrences();
    }
    OrvEventDate* Occurrence(const char* summary, int index = 0)
    {
        OrvEventDateList& list = window->Calendar()->occurrences;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item(i)->event->summary == summary && index-- == 0) return list.Item(i);
        return nullptr;
    }
    int Send(int command, intptr_t value = 0, void* data = nullptr)
    {
        return window->Event(OrvEvent(command, value, data));
    }

    std::unique_ptr<OrvMainWindow> window;
};

TEST_F(CommandTest, BottomAreaToggledTwiceKeepsItsPosition)
{
    EXPECT_FALSE(window->IsBottomAreaShown());
    Send(10133);
    ASSERT_TRUE(window->IsBottomAreaShown());
    OrvMainBottomArea* bottom = window->BottomArea();
    ASSERT_EQ(window->MainSplitter()->count(), 2);
    EXPECT_EQ(window->MainSplitter()->widget(0), window->TopArea());
    EXPECT_EQ(window->MainSplitter()->widget(1), bottom);
    // Its first page is the request log, shown at once.
    ASSERT_NE(bottom->Shown(), nullptr);
    EXPECT_EQ(bottom->Shown()->Title(), QStringLiteral("Sendeprotokoll"));
    EXPECT_EQ(bottom->Bar()->TabCount(), 1);

    const int total = window->MainSplitter()->sizes()[0] + window->MainSplitter()->sizes()[1];
    window->MainSplitter()->setSizes({total - 173, 173});
    QApplication::processEvents();
    const int lower = window->MainSplitter()->sizes()[1];

    Send(10133);
    EXPECT_FALSE(window->IsBottomAreaShown());
    EXPECT_TRUE(window->TopArea()->isVisible());
    EXPECT_FALSE(bottom->isVisible());
    Send(10133);
    QApplication::processEvents();
    ASSERT_TRUE(window->IsBottomAreaShown());
    EXPECT_EQ(window->BottomArea(), bottom) << "the bottom area is made once";
    EXPECT_EQ(window->MainSplitter()->sizes()[1], lower);
}

TEST_F(CommandTest, LeftPaneToggledTwiceKeepsItsWidth)
{
    OrvMainTopArea* top = window->TopArea();
    QSplitter* splitter = top->Splitter();
    splitter->setSizes({260, splitter->sizes()[0] + splitter->sizes()[1] - 260});
    QApplication::processEvents();
    const int width = splitter->sizes()[0];
    Send(10134);
    EXPECT_FALSE(top->IsLeftPaneShown());
    EXPECT_FALSE(top->AccessPane()->isVisible());
    EXPECT_TRUE(top->WorkPane()->isVisible());
    Send(10134);
    QApplication::processEvents();
    EXPECT_TRUE(top->AccessPane()->isVisible());
    EXPECT_EQ(splitter->sizes()[0], width);
}

TEST_F(CommandTest, NewEventWithoutScenesOnlyHints)
{
    ASSERT_EQ(config_->GetEventSceneList()->Count(), 0);
    const int before = QApplication::topLevelWidgets().size();
    Send(10107);
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("Hinweis"));
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].text,
              QString::fromUtf8("Stellen Sie bitte unter \"Extras > Einstellungen\" die Szenen ein, für die Sie "
                                "Veranstaltungen erfassen wollen."));
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before) << "a window opened";
}

TEST_F(CommandTest, ChangesAreBroadcastToEveryView)
{
    Spy spy;
    Send(10126);
    EXPECT_EQ(spy.Count(10125), 1);
    // 10119 is passed on unchanged, once, although the main window itself
    // is among the receivers.
    Send(10119, 1);
    EXPECT_EQ(spy.Count(10119), 1);
}

TEST_F(CommandTest, CategoryButtonsFilterTheMonthTable)
{
    Spy spy;
    OrvAccessGroup_Categories* group = window->TopArea()->AccessPane()->CategoriesGroup();
    ASSERT_TRUE(group->IsExpanded());
    std::vector<QWidget*> items = group->Items();
    ASSERT_FALSE(items.empty());
    auto* button = qobject_cast<OrvAccessGroupButton*>(items[0]);
    ASSERT_NE(button, nullptr);
    EXPECT_NE(button->CategoryID(), 1);
    OrvCategoryRow* row = config_->GetCategoryRow(button->CategoryID());
    ASSERT_TRUE(button->isChecked());
    ASSERT_EQ(row->shown, 1);

    button->click();
    EXPECT_EQ(row->shown, 0);
    ASSERT_TRUE(OrvWaitFor([&]() { return spy.Count(10125) == 1; }, 3000)) << "no rebuild after the filter";

    // Collapsing drops the items; expanding builds them with the current
    // state of the filter.
    group->HeaderButton()->click();
    EXPECT_FALSE(group->IsExpanded());
    EXPECT_TRUE(group->Items().empty());
    group->HeaderButton()->click();
    ASSERT_EQ(group->Items().size(), items.size());
    auto* again = qobject_cast<OrvAccessGroupButton*>(group->Items()[0]);
    EXPECT_FALSE(again->isChecked());
    again->click();
    EXPECT_EQ(row->shown, 1);
}

TEST_F(CommandTest, DeletingASingleEventRemovesIt)
{
    LoadCalendar();
    Spy spy;
    OrvEventDate* date = Occurrence("Salsa-Abend");
    ASSERT_NE(date, nullptr);
    const int before = window->Calendar()->occurrences.Count();
    // The question comes first; "no" keeps the event.
    QStringList asked;
    bool yes = false;
    window->Hooks().confirm = [&](const QString&, const QString& text) {
        asked << text;
        return yes;
    };
    Send(10109, 0, date);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("Salsa-Abend")));
    EXPECT_EQ(window->Calendar()->occurrences.Count(), before);
    EXPECT_EQ(spy.Count(10125), 0);
    yes = true;
    Send(10109, 0, date);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(window->Calendar()->occurrences.Count(), before - 1);
    EXPECT_EQ(Occurrence("Salsa-Abend"), nullptr);
    EXPECT_EQ(spy.Count(10125), 1);
}

TEST_F(CommandTest, DeletingOneDateOfASeries)
{
    LoadCalendar();
    const struct {
        const char* name;
        int answer;
        int value;
        int removed;   // occurrences of the series that go
    } cases[] = {
        {"cancelled", ZAF_DIALOG_CLOSE, 0, 0},
        {"only this date", ZAF_DIALOG_OK, ORV_REPEAT_ONLY_THIS, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int asked = 0;
        window->Hooks().askRepeating = [&](int command, const std::string& summary, int& value) {
            ++asked;
            EXPECT_EQ(command, 10109);
            EXPECT_EQ(summary, "Tanzkurs");
            value = c.value;
            return c.answer;
        };
        int series = 0;
        while (Occurrence("Tanzkurs", series)) ++series;
        OrvEventDate* second = Occurrence("Tanzkurs", 1);
        ASSERT_NE(second, nullptr);
        OrvCalendarComponent* event = second->event;
        const size_t exceptions = event->exDates.size();
        Send(10109, 0, second);
        EXPECT_EQ(asked, 1);
        int after = 0;
        while (Occurrence("Tanzkurs", after)) ++after;
        EXPECT_EQ(after, series - c.removed);
        EXPECT_EQ(event->exDates.size(), exceptions + c.removed);
    }
}

class ImportExportTest : public CommandTest {
protected:
    std::string ExtraConfig() override { return "[ICALIMPORTS]\n1=Salsa;salsa;2;0;;0;\n"; }
};

TEST_F(ImportExportTest, ImportReplacesTheCalendarAndExportWritesIt)
{
    dir_.Write("termine.neu.ics", kCalendar);
    Spy spy;
    QString chosen = QString::fromStdString(dir_.File("termine.neu.ics"));
    window->Hooks().chooseFile = [&](bool save) { return chosen; };
    LoadCalendar();   // something to replace
    Send(10104, 1);
    OrvCalendar* calendar = window->Calendar();
    EXPECT_EQ(calendar->name, "termine");
    EXPECT_EQ(calendar->events.size(), 2u) << "the calendar was not emptied before reading";
    EXPECT_GE(spy.Count(10125), 1);

    chosen = QString::fromStdString(dir_.File("export.ics"));
    Send(10105);
    const std::string written = dir_.Read("export.ics");
    EXPECT_NE(written.find("BEGIN:VEVENT"), std::string::npos);
    EXPECT_NE(written.find("SUMMARY:Salsa-Abend"), std::string::npos);
    EXPECT_NE(written.find("SUMMARY:Tanzkurs"), std::string::npos);

    // A cancelled file dialog changes nothing.
    chosen.clear();
    std::filesystem::remove(dir_.File("export.ics"));
    Send(10104, 1);
    Send(10105);
    EXPECT_EQ(calendar->events.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("export.ics")));
    // An unknown profile imports nothing.
    chosen = QString::fromStdString(dir_.File("termine.neu.ics"));
    calendar->Clear();
    Send(10104, 99);
    EXPECT_TRUE(calendar->events.empty());
}

TEST(ExportName, CalendarSuffixIsAddedWhenMissing)
{
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {
        {"/tmp/termine", "/tmp/termine.ics"},     {"/tmp/termine.ics", "/tmp/termine.ics"},
        {"/tmp/termine.ICS", "/tmp/termine.ICS"}, {"/tmp/termine.txt", "/tmp/termine.txt.ics"},
        {"/tmp/termine.", "/tmp/termine.ics"},    {"/tmp/v1.2/termine", "/tmp/v1.2/termine.ics"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OrvMainWindow::WithCalendarSuffix(QString::fromUtf8(c.typed)), QString::fromUtf8(c.saved)) << c.typed;
}

TEST_F(ImportExportTest, ExportWithoutSuffixWritesTheIcsFile)
{
    LoadCalendar();
    window->Hooks().chooseFile = [this](bool) { return QString::fromStdString(dir_.File("ohne-endung")); };
    Send(10105);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("ohne-endung")));
    EXPECT_NE(dir_.Read("ohne-endung.ics").find("SUMMARY:Tanzkurs"), std::string::npos);
}

TEST_F(ImportExportTest, StandardShortcutsRunTheirCommands)
{
    LoadCalendar();
    std::vector<bool> fileDialogs;   // true: save
    window->Hooks().chooseFile = [&](bool save) {
        fileDialogs.push_back(save);
        return QString();
    };
    QApplication::setActiveWindow(window.get());
    auto press = [this](QKeySequence key) {
        QTest::keySequence(window.get(), key);
        QApplication::processEvents();
    };
    // Each key has the window's one action; the menus only show the key.
    for (int command : {10107, 10105, 10104, 10202, 10106}) {
        ASSERT_NE(window->ShortcutAction(command), nullptr) << command;
        EXPECT_EQ(window->ShortcutAction(command)->shortcut(), OrvCommandShortcut(command));
    }
    press(QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(fileDialogs, std::vector<bool>{true}) << "Ctrl+E exports";
    // One import profile: Ctrl+I goes straight to its file dialog.
    press(QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_EQ(fileDialogs, (std::vector<bool>{true, false})) << "Ctrl+I imports";
    // Without scenes the new event only hints, as the menu entry does.
    OrvMessageWindow::ClearRecorded();
    press(QKeySequence(Qt::CTRL | Qt::Key_N));
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u) << "Ctrl+N asks for a new event";
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("Hinweis"));
    // F5 downloads again; without a portal that fails and says so.
    window->StatusText()->clear();
    press(QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(window->StatusText()->text().contains(OrvQString(OrvText(308))));
    EXPECT_EQ(window->Calendar()->events.size(), 2u) << "a failed download keeps the calendar";
    press(QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(OrvWaitFor([this]() { return !window->isVisible(); }, 3000)) << "Ctrl+Q closes";
}

TEST_F(CommandTest, AboutDialogShowsNameAndVersion)
{
    int result = 0;
    QStringList lines;
    QString title;
    window->Hooks().runDialog = [&](QDialog& dialog) {
        auto& about = static_cast<OrvAboutDialog&>(dialog);
        lines = about.Lines();
        title = about.windowTitle();
        QTimer::singleShot(0, about.OkButton(), &QPushButton::click);
        result = about.Control();
        return result;
    };
    Send(10136);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("OrvCalendar"), QStringLiteral("Version 1.0.11")}));
    EXPECT_EQ(title, QString::fromUtf8("Über OrvCalendar"));
    EXPECT_EQ(result, ZAF_DIALOG_CLOSE);
}

TEST_F(CommandTest, ExitClosesTheWindow)
{
    ASSERT_TRUE(window->isVisible());
    Send(10106);
    EXPECT_TRUE(window->isVisible()) << "closing waits for the posted event";
    ASSERT_TRUE(OrvWaitFor([this]() { return !window->isVisible(); }, 3000));
    EXPECT_FALSE(window->Portal()->IsConnected());
    EXPECT_FALSE(window->IsLoggedIn());
}

TEST_F(CommandTest, EveryCommandIsTakenWithoutAPortal)
{
    // Commands that need the portal fail quietly or with a message; none
    // of them may crash or block without one.
    LoadCalendar();
    window->Hooks().askRepeating = [](int, const std::string&, int&) { return ZAF_DIALOG_CLOSE; };
    window->Hooks().chooseFile = [](bool) { return QString(); };
    window->Hooks().runDialog = [](QDialog&) { return ZAF_DIALOG_CLOSE; };
    window->Hooks().runWizard = [](OrvEventWizard&) { return ZAF_DIALOG_CLOSE; };
    int dialogs = 0;
    auto closed = [&dialogs]() {
        ++dialogs;
        return ZAF_DIALOG_CLOSE;
    };
    window->Hooks().settingsDialog = closed;
    window->Hooks().calendarManager = closed;
    window->Hooks().transferDialog = closed;
    window->Hooks().selectUser = [&dialogs]() {
        ++dialogs;
        return 0;
    };
    // The commands that carry an event date.
    const std::set<int> withDate = {10108, 10109, 10118, 10155, 10162, 10168, 10200};
    for (int command = 10101; command <= 10205; ++command) {
        // Login sequence, exit and registration (which ends the run when
        // it is given up) are left out.
        if (command == 10103 || command == 10106 || command == 10151) continue;
        SCOPED_TRACE(command);
        OrvEventDate* date = Occurrence("Tanzkurs");
        Send(command, 0, withDate.count(command) ? date : nullptr);
    }
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    // Settings, calendar manager, user selection and transfer each opened.
    EXPECT_EQ(dialogs, 4);
}

}  // namespace
