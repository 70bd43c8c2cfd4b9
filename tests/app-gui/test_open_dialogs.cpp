// The commands of the menus and the month table's context menu against the
// local portal service with its demo data: each opens its working window
// (filled from the portal where it shows portal data), and closing it
// without OK leaves the calendar as it was.
#include <QAbstractItemView>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "OrvMainWindow.h"
#include "PortalAppFixture.h"
#include "model/OrvCalendar.h"
#include "portal/ui/OrvImportRegisterWindow.h"
#include "views/editors/OrvCalQuery.h"
#include "views/editors/OrvEventWizard.h"
#include "views/editors/OrvEventWizardPages.h"

namespace {

// Every text an item view of the window shows, joined by newlines.
QString ItemTexts(QWidget* window)
{
    QStringList texts;
    for (auto* tree : window->findChildren<QTreeWidget*>())
        for (QTreeWidgetItemIterator it(tree); *it; ++it) texts << (*it)->text(0);
    for (auto* table : window->findChildren<QTableWidget*>())
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                if (table->item(r, c)) texts << table->item(r, c)->text();
    for (auto* list : window->findChildren<QListWidget*>())
        for (int r = 0; r < list->count(); ++r) texts << list->item(r)->text();
    return texts.join(QLatin1Char('\n'));
}

// Watches for the modal window a command opens, notes it and closes it
// without OK, as a user pressing Escape would.
class ModalCloser {
public:
    ModalCloser()
    {
        timer_.setInterval(30);
        QObject::connect(&timer_, &QTimer::timeout, [this]() {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (!dialog || !dialog->isVisible()) return;
            // The portal data arrives while the dialog opens; give it a
            // moment before reading what it shows.
            if (++ticks_ < 5) return;
            ticks_ = 0;
            classes.push_back(dialog->metaObject()->className());
            // A picture of each window for a look by eye.
            QDir().mkpath(QStringLiteral(ORV_TEST_SCREENSHOTS));
            dialog->grab().save(QStringLiteral(ORV_TEST_SCREENSHOTS "/") + dialog->metaObject()->className() +
                                QStringLiteral(".png"));
            texts.push_back(ItemTexts(dialog));
            dialog->reject();
        });
        timer_.start();
    }
    std::vector<std::string> classes;
    std::vector<QString> texts;

private:
    QTimer timer_;
    int ticks_ = 0;
};

class OpenDialogsTest : public PortalAppFixture {
protected:
    void SetUp() override
    {
        PrepareWithPortal("", "CheckForUpdatesOnStart=0\n",
                          "[POOLS]\n1=Latin;1\n[SCENES]\n1=salsa;1\n2=bachata;0\n"
                          "[ICALIMPORTS]\n1=Fremd;salsa;301;0;;0;\n");
        if (HasFatalFailure()) return;
        OrvMessageWindow::SetTestMode(true);
        window = std::make_unique<OrvMainWindow>();
        window->Hooks().loginDialog = [](bool, bool&) { return ZAF_DIALOG_CLOSE; };
        window->show();
        ASSERT_TRUE(OrvWaitFor([this]() { return window->Calendar()->occurrences.Count() > 0; }, 20000))
            << "no calendar arrived";
        ASSERT_TRUE(window->IsLoggedIn());
    }
    void TearDown() override
    {
        window.reset();
        PortalAppFixture::TearDown();
    }

    // An occurrence of an event that does not repeat (no question first).
    OrvEventDate* SingleDate()
    {
        OrvEventDateList& list = window->Calendar()->occurrences;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item(i)->event->rrule.frequency == 0) return list.Item(i);
        return nullptr;
    }

    std::unique_ptr<OrvMainWindow> window;
};

TEST_F(OpenDialogsTest, EachCommandOpensItsWindowAndCancelChangesNothing)
{
    const struct {
        int command;
        bool withDate;
        const char* dialogClass;
        // A text the window must show from the portal's demo data.
        const char* shows;
    } cases[] = {
        {10137, false, "OrvConfigDialog", nullptr},
        {10138, false, "OrvEventWizard", nullptr},
        {10107, false, "OrvEventWizard", nullptr},
        {10108, true, "OrvEventWizard", nullptr},
        {10136, false, "OrvAboutDialog", nullptr},
        {10156, false, "OrvCalendarManager", "Salsa in Berlin"},
        {10155, true, "OrvSelectUserDialog", "anna"},
        {10166, false, nullptr, nullptr},
    };
    const int events = static_cast<int>(window->Calendar()->events.size());
    const int dates = window->Calendar()->occurrences.Count();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ModalCloser closer;
        OrvEventDate* date = c.withDate ? SingleDate() : nullptr;
        if (c.withDate) {
            ASSERT_NE(date, nullptr);
        }
        window->Event(OrvEvent(c.command, 0, date));
        ASSERT_FALSE(closer.classes.empty()) << "no window opened";
        if (c.dialogClass) {
            EXPECT_EQ(closer.classes.front(), c.dialogClass);
        }
        if (c.shows) {
            EXPECT_TRUE(closer.texts.front().contains(QString::fromUtf8(c.shows), Qt::CaseInsensitive))
                << closer.texts.front().toStdString();
        }
        EXPECT_EQ(static_cast<int>(window->Calendar()->events.size()), events);
        EXPECT_EQ(window->Calendar()->occurrences.Count(), dates);
    }
    EXPECT_TRUE(window->isVisible());
}

TEST_F(OpenDialogsTest, ImportShowsTheImportTableWithThePlacesOfTheFile)
{
    dir_.Write("fremd.ics",
               "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//other//EN\n"
               "BEGIN:VEVENT\nUID:a@other\nDTSTART:20261212T200000\nDTEND:20261212T230000\n"
               "SUMMARY:Salsa im Hafen\nLOCATION:Neue Halle, Hafenstr. 3, 20457 Hamburg\nEND:VEVENT\n"
               "END:VCALENDAR\n");
    window->Hooks().chooseFile = [this](bool) { return QString::fromStdString(dir_.File("fremd.ics")); };
    window->Event(OrvEvent(10104, 1));
    ASSERT_TRUE(OrvWaitFor([this]() { return window->ImportTable() != nullptr; }, 5000))
        << "the import table was not shown";
    EXPECT_TRUE(window->IsBottomAreaShown());
    EXPECT_EQ(window->BottomArea()->Shown(), window->ImportTable()->parentWidget());
    ASSERT_EQ(window->Calendar()->events.size(), 1u);
    // The profile gave the event its scene and category.
    OrvCalendarComponent* event = window->Calendar()->events.front();
    ASSERT_EQ(event->scenes.Count(), 1);
    EXPECT_EQ(event->scenes.Item(0)->name, "salsa");
    ASSERT_GE(event->categories.Count(), 1);
    EXPECT_EQ(event->categories.Item(0)->id, 301);
    OrvImportTable* table = window->ImportTable()->Table();
    ASSERT_GE(table->rowCount(), 1);
    EXPECT_TRUE(ItemTexts(window->ImportTable()).contains(QStringLiteral("Hamburg")));

    // The log page is one tab away and the import table comes back on the
    // next import.
    window->BottomArea()->Event(OrvEvent(ORV_CMD_CHOOSE_REGISTER, 0, window->BottomArea()->Hidden().front()));
    EXPECT_NE(window->BottomArea()->Shown(), window->ImportTable()->parentWidget());
    window->Event(OrvEvent(10104, 1));
    QApplication::processEvents();
    OrvWaitFor([this]() { return window->BottomArea()->Shown() == window->ImportTable()->parentWidget(); }, 3000);
    EXPECT_EQ(window->BottomArea()->Shown(), window->ImportTable()->parentWidget());
}

}  // namespace

namespace {

TEST_F(OpenDialogsTest, CalendarsGroupShowsTheQueriesTheManagerLeft)
{
    auto buttonTexts = [this]() {
        QStringList texts;
        for (auto* button : window->TopArea()->AccessPane()->CalendarsGroup()->findChildren<QPushButton*>())
            texts << button->text();
        return texts.join(QLatin1Char('|'));
    };
    ASSERT_TRUE(window->TopArea()->AccessPane()->CalendarsGroup()->IsExpanded());
    EXPECT_TRUE(buttonTexts().contains(QStringLiteral("Salsa in Berlin"))) << buttonTexts().toStdString();
    // The manager adds a query and writes the list to the portal.
    window->Hooks().calendarManager = [this]() {
        OrvCalQueryList& list = OrvGetCalQueryList(*window->Portal());
        auto* query = new OrvCalQuery;
        query->name = "Neu im Test";
        list.Append(query);
        EXPECT_EQ(OrvWriteCalQueryList(*window->Portal(), list), 0);
        return ZAF_DIALOG_OK;
    };
    window->Event(OrvEvent(10156));
    QApplication::processEvents();
    EXPECT_TRUE(buttonTexts().contains(QStringLiteral("Neu im Test"))) << buttonTexts().toStdString();
    EXPECT_TRUE(buttonTexts().contains(QStringLiteral("Salsa in Berlin")));
}

}  // namespace

namespace {

TEST_F(OpenDialogsTest, WizardChoosesItsLocationFromThePortalsPersons)
{
    // Inside the new-event wizard the location's button opens the person
    // dialog with the portal's locations.
    std::vector<std::string> opened;
    QString shown;
    window->Hooks().runWizard = [&](OrvEventWizard& wizard) {
        wizard.Initialise();
        wizard.show();
        QApplication::processEvents();
        OrvPersonFields* location = nullptr;
        for (auto* fields : wizard.findChildren<OrvPersonFields*>())
            if (fields->Rooms()) location = fields;
        EXPECT_NE(location, nullptr);
        if (!location) return ZAF_DIALOG_CLOSE;
        ModalCloser closer;
        location->NewButton()->click();
        opened = closer.classes;
        if (!closer.texts.empty()) shown = closer.texts.front();
        return ZAF_DIALOG_CLOSE;
    };
    const int events = static_cast<int>(window->Calendar()->events.size());
    window->Event(OrvEvent(10107));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), "OrvWebPersonDialog");
    EXPECT_TRUE(shown.contains(QStringLiteral("Tanzhaus Mitte"))) << shown.toStdString();
    EXPECT_EQ(static_cast<int>(window->Calendar()->events.size()), events);
}

}  // namespace
