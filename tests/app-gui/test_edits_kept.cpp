// No edit is lost: one date split off a series or deleted from it leaves
// the series whole on the portal; an edit the portal did not take stays
// marked, survives a restart and goes up at the next login; a start without
// the portal shows the last calendar; portal calls show a busy cursor, the
// action and, for transfers, a progress dialog that can cancel; an end
// before the start and unasked deletions or cancellations are refused.
// All against the local portal service.
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "OrvMainWindow.h"
#include "PortalAppFixture.h"
#include "app/OrvConfig.h"
#include "app/OrvLanguageLib.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtText.h"
#include "views/OrvCalendarTable.h"
#include "views/editors/OrvEventWizard.h"
#include "views/editors/OrvEventWizardPages.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class EditsKeptTest : public PortalAppFixture {
protected:
    void SetUp() override
    {
        PrepareWithPortal("", "CheckForUpdatesOnStart=0\n", std::string(), true);
        if (HasFatalFailure()) return;
        OrvMessageWindow::SetTestMode(true);
        OrvPortalFeedback::SetProgressDelay(0);
    }
    void TearDown() override
    {
        window.reset();
        OrvPortalFeedback::SetProgressDelay(400);
        PortalAppFixture::TearDown();
    }

    // A window that logged in silently and downloaded the demo calendar.
    void Start(bool expectCalendar = true)
    {
        window = std::make_unique<OrvMainWindow>();
        window->Hooks().loginDialog = [this](bool, bool&) {
            ++loginDialogs;
            return ZAF_DIALOG_CLOSE;
        };
        window->Hooks().confirm = [this](const QString&, const QString& text) {
            questions << text;
            return answer;
        };
        window->show();
        if (!expectCalendar) return;
        ASSERT_TRUE(OrvWaitFor([this]() { return window->IsLoggedIn() && window->Calendar()->occurrences.Count() > 0; },
                               20000))
            << "no calendar arrived";
        // New and edited events need configured scenes.
        OrvEventSceneList scenes;
        scenes.Add(new OrvEventSceneElement(7, "salsa", true));
        config_->SetEventSceneList(scenes);
        OrvMessageWindow::ClearRecorded();
    }

    std::vector<OrvCalendarComponent*> EventsNamed(const std::string& summary) const
    {
        std::vector<OrvCalendarComponent*> found;
        for (OrvCalendarComponent* event : window->Calendar()->events)
            if (event->summary == summary) found.push_back(event);
        return found;
    }
    std::vector<OrvEventDate*> DatesOf(const OrvCalendarComponent* event) const
    {
        std::vector<OrvEventDate*> dates;
        OrvEventDateList& list = window->Calendar()->occurrences;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item(i)->event == event) dates.push_back(list.Item(i));
        return dates;
    }
    // Replaces the window's calendar by the portal's own.
    void DownloadWhatThePortalHolds()
    {
        ASSERT_TRUE(window->LocalChanges().Empty()) << "the portal's calendar would not be the only one shown";
        window->Event(OrvEvent(10204));
    }
    bool Recorded(const QString& part) const
    {
        for (const OrvMessageRecord& r : OrvMessageWindow::Recorded())
            if (r.text.contains(part)) return true;
        return false;
    }
    static QString Text(int number) { return OrvQString(OrvText(number)); }

    // A wizard run that types a new title and finishes.
    static std::function<int(OrvEventWizard&)> Retitle(const char* title)
    {
        return [title](OrvEventWizard& wizard) {
            OrvLineEdit* edit = wizard.StartPage()->Main()->Title();
            edit->selectAll();
            QTest::keyClicks(edit, title);
            wizard.show();
            QTest::mouseClick(wizard.FinishButton(), Qt::LeftButton);
            return wizard.result() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
        };
    }

    std::unique_ptr<OrvMainWindow> window;
    int loginDialogs = 0;
    QStringList questions;
    bool answer = true;
};

// Edit one date, or delete it: after the upload and the download of "Mein
// Kalender" the series keeps every other date, the split date appears once
// as an event of its own, and the portal holds exactly that.
TEST_F(EditsKeptTest, OneDateOfASeriesLeavesTheSeriesWhole)
{
    Start();
    if (HasFatalFailure()) return;
    const struct {
        const char* name;
        int command;
        const char* splitTitle;  // null: the date is deleted
    } cases[] = {
        {"edit only this date", 10108, "Salsa Grundkurs (verlegt)"},
        {"delete only this date", 10109, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<OrvCalendarComponent*> series = EventsNamed("Salsa Grundkurs");
        ASSERT_EQ(series.size(), 1u);
        const int seriesId = series[0]->eventId;
        const std::string seriesUID = series[0]->uid;
        const std::vector<OrvEventDate*> dates = DatesOf(series[0]);
        ASSERT_GE(dates.size(), 4u);
        const int datesBefore = static_cast<int>(dates.size());
        const ZafUTimeData chosen = dates[2]->start;
        window->Hooks().askRepeating = [](int, const std::string&, int& value) {
            value = 10131;
            return ZAF_DIALOG_OK;
        };
        if (c.splitTitle) window->Hooks().runWizard = Retitle(c.splitTitle);
        window->Event(OrvEvent(c.command, 0, dates[2]));
        EXPECT_TRUE(window->LocalChanges().Empty()) << "the portal took every change";

        for (const int download : {10202, 10204}) {
            SCOPED_TRACE(download);
            if (download == 10204) DownloadWhatThePortalHolds();
            else window->Event(OrvEvent(download));
            series = EventsNamed("Salsa Grundkurs");
            ASSERT_EQ(series.size(), 1u) << "the series is gone or twice";
            EXPECT_EQ(series[0]->eventId, seriesId);
            const std::vector<OrvEventDate*> left = DatesOf(series[0]);
            EXPECT_EQ(static_cast<int>(left.size()), datesBefore - 1);
            for (OrvEventDate* d : left) EXPECT_FALSE(d->start == chosen) << "the split date is still in the series";
            ASSERT_FALSE(series[0]->exDates.empty());
            if (c.splitTitle) {
                const std::vector<OrvCalendarComponent*> split = EventsNamed(c.splitTitle);
                ASSERT_EQ(split.size(), 1u) << "the split date appears once";
                EXPECT_NE(split[0]->eventId, 0);
                EXPECT_NE(split[0]->eventId, seriesId);
                EXPECT_NE(split[0]->uid, seriesUID);
                EXPECT_EQ(split[0]->rrule.frequency, 0);
                const std::vector<OrvEventDate*> own = DatesOf(split[0]);
                ASSERT_EQ(own.size(), 1u);
                EXPECT_TRUE(own[0]->start == chosen);
            }
        }
    }
}

// The service is stopped while an event is edited: the edit stays, marked
// as not published, through a restart; the next login uploads it.
TEST_F(EditsKeptTest, EditWithoutThePortalGoesUpAtTheNextLogin)
{
    Start();
    if (HasFatalFailure()) return;
    std::vector<OrvCalendarComponent*> found = EventsNamed("Salsa Night");
    ASSERT_EQ(found.size(), 1u);
    const std::vector<OrvEventDate*> dates = DatesOf(found[0]);
    ASSERT_EQ(dates.size(), 1u);
    const ZafUTimeData day = dates[0]->start;
    const std::string calendarFile = ReadFile(dir_.File("Calendar.ics"));

    portal_.Stop();
    window->Hooks().runWizard = Retitle("Salsa Night (neu)");
    window->Event(OrvEvent(10108, 0, dates[0]));
    ASSERT_EQ(EventsNamed("Salsa Night (neu)").size(), 1u);
    OrvCalendarComponent* edited = EventsNamed("Salsa Night (neu)")[0];
    EXPECT_EQ(edited->publish.state, static_cast<unsigned>(ORV_PUBLISH_STOPPED));
    EXPECT_EQ(window->LocalChanges().Count(), 1);
    // Told in words, in a window, and the status bar no longer claims a
    // connection or a login.
    ASSERT_FALSE(OrvMessageWindow::Recorded().empty());
    EXPECT_EQ(OrvMessageWindow::Recorded().back().title, QStringLiteral("Fehler"));
    EXPECT_TRUE(Recorded(Text(340))) << OrvMessageWindow::Recorded().back().text.toStdString();
    EXPECT_TRUE(Recorded(Text(347)));
    const QString status = window->StatusText()->text();
    EXPECT_FALSE(status.contains(QStringLiteral("Verbunden"))) << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("Angemeldet"))) << status.toStdString();
    EXPECT_FALSE(window->IsPortalReachable());
    // The month table marks it as not published.
    auto* table = qobject_cast<OrvCalendarTable*>(window->CalendarView());
    ASSERT_NE(table, nullptr);
    window->Date()->Set(day);
    QApplication::processEvents();
    bool marked = false;
    if (OrvCalendarTableDay* cell = table->CellOf(day))
        for (OrvCalendarTableEvent* entry : cell->Entries())
            if (entry->Caption().contains(QStringLiteral("Salsa Night (neu)")))
                marked = entry->PublishImageName() && std::string(entry->PublishImageName()) == "PUBLISHSTATE_STOPPED";
    EXPECT_TRUE(marked) << "the entry does not show the not-published mark";
    // The portal's last reply stays as it was; the change has its own file.
    EXPECT_EQ(ReadFile(dir_.File("Calendar.ics")), calendarFile);
    EXPECT_NE(ReadFile(dir_.File(OrvMainWindow::LocalChangesFileName)).find("SUMMARY:Salsa Night (neu)"),
              std::string::npos);
    window.reset();

    // A new run, the service back on another port.
    ASSERT_GT(portal_.Start(dir_.File("portal.db"), true), 0) << portal_.Output();
    config_->File().Write(ORVCFG_SECTION_HOST, "Host", portal_.Host().c_str());
    Start(false);
    // Before the portal answers, the edit is shown.
    EXPECT_EQ(EventsNamed("Salsa Night (neu)").size(), 1u);
    ASSERT_TRUE(OrvWaitFor([this]() { return window->IsLoggedIn() && window->LocalChanges().Empty(); }, 20000))
        << "the change did not go up at the login: " << window->StatusText()->text().toStdString() << " "
        << window->Portal()->Host();
    EXPECT_EQ(loginDialogs, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File(OrvMainWindow::LocalChangesFileName)));
    // The portal now holds the new title, once, as published.
    DownloadWhatThePortalHolds();
    EXPECT_TRUE(EventsNamed("Salsa Night").empty());
    ASSERT_EQ(EventsNamed("Salsa Night (neu)").size(), 1u);
    EXPECT_EQ(EventsNamed("Salsa Night (neu)")[0]->publish.state, static_cast<unsigned>(ORV_PUBLISH_PUBLISHED));
}

// A download while a change waits keeps the local version and says so.
TEST_F(EditsKeptTest, DownloadKeepsAChangeThePortalHasNot)
{
    Start();
    if (HasFatalFailure()) return;
    std::vector<OrvCalendarComponent*> found = EventsNamed("Salsa Night");
    ASSERT_EQ(found.size(), 1u);
    // The portal refuses uploads but still sends the calendar.
    ASSERT_TRUE(portal_.SetFault("retcode=-1:V001_Event_UploadEvent"));
    window->Hooks().runWizard = Retitle("Salsa Night lokal");
    window->Event(OrvEvent(10108, 0, DatesOf(found[0])[0]));
    ASSERT_EQ(window->LocalChanges().Count(), 1);
    EXPECT_TRUE(Recorded(Text(347)));
    for (const int download : {10202, 10204}) {
        SCOPED_TRACE(download);
        OrvMessageWindow::ClearRecorded();
        window->Event(OrvEvent(download));
        EXPECT_TRUE(EventsNamed("Salsa Night").empty()) << "the portal's copy replaced the local change";
        EXPECT_EQ(EventsNamed("Salsa Night lokal").size(), 1u);
        EXPECT_TRUE(Recorded(Text(351).replace(QStringLiteral("%s"), QStringLiteral("1"))));
    }
    // "Alle veröffentlichen" once the portal takes uploads again.
    ASSERT_TRUE(portal_.SetFault(""));
    window->Event(OrvEvent(10165));
    EXPECT_TRUE(window->LocalChanges().Empty());
    DownloadWhatThePortalHolds();
    EXPECT_EQ(EventsNamed("Salsa Night lokal").size(), 1u);
}

// A start without the service: the last calendar shows, the user reads why,
// and no login dialog pretends that the password was wrong.
TEST_F(EditsKeptTest, StartWithoutThePortalShowsTheLastCalendar)
{
    Start();
    if (HasFatalFailure()) return;
    const size_t events = window->Calendar()->events.size();
    window.reset();
    portal_.Stop();
    OrvMessageWindow::ClearRecorded();
    Start(false);
    EXPECT_EQ(window->Calendar()->events.size(), events);
    ASSERT_TRUE(OrvWaitFor([this]() { return Recorded(Text(350)); }, 20000)) << "no word about the portal";
    EXPECT_EQ(loginDialogs, 0);
    EXPECT_FALSE(window->IsLoggedIn());
    EXPECT_EQ(window->Calendar()->events.size(), events);
    const QString status = window->StatusText()->text();
    EXPECT_TRUE(status.contains(Text(348).replace(QStringLiteral("%s"), QString::fromStdString(portal_.Host()))))
        << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("Angemeldet"))) << status.toStdString();
    for (const OrvMessageRecord& r : OrvMessageWindow::Recorded())
        EXPECT_FALSE(r.text.contains(QStringLiteral("Anmeldung fehlgeschlagen"))) << r.text.toStdString();
}

// While a call runs: busy cursor, the action in the status bar, and for a
// calendar transfer the progress dialog with the bytes, whose cancel ends
// the transfer with nothing changed.
TEST_F(EditsKeptTest, RunningCallsShowWhatHappens)
{
    Start();
    if (HasFatalFailure()) return;
    const struct {
        const char* name;
        int command;
        const char* fault;
        int action;
        bool progress;
        bool cancel;
    } cases[] = {
        {"slow calendar", 10202, "slow=40:V001_Event_GetCalendar", 355, true, false},
        {"cancelled calendar", 10204, "slow=40:V001_Event_GetCalendar", 355, true, true},
        {"slow highlight", 10118, "delayms=2500:V001_Event_SetHighlight", 360, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(portal_.SetFault(c.fault));
        const std::string calendarFile = ReadFile(dir_.File("Calendar.ics"));
        const size_t events = window->Calendar()->events.size();
        bool busyCursor = false, actionShown = false, dialogShown = false, bytesShown = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&]() {
            if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
                busyCursor = true;
            if (window->StatusText()->text().contains(Text(c.action))) actionShown = true;
            QProgressDialog* dialog = window->Feedback().ProgressDialog();
            if (!dialog || !dialog->isVisible()) return;
            dialogShown = true;
            if (dialog->labelText().contains(QRegularExpression(QStringLiteral("[1-9][0-9]* ")))) {
                bytesShown = true;
                if (c.cancel)
                    for (QPushButton* button : dialog->findChildren<QPushButton*>()) button->click();
            }
        });
        poll.start();
        OrvMessageWindow::ClearRecorded();
        window->Event(OrvEvent(c.command, 0, window->Calendar()->occurrences.Item(0)));
        poll.stop();
        EXPECT_TRUE(busyCursor);
        EXPECT_TRUE(actionShown);
        EXPECT_EQ(dialogShown, c.progress);
        EXPECT_EQ(bytesShown, c.progress);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor stayed";
        EXPECT_EQ(window->Feedback().ProgressDialog(), nullptr);
        if (c.cancel) {
            EXPECT_TRUE(Recorded(Text(344))) << "no word about the cancelled transfer";
            EXPECT_EQ(ReadFile(dir_.File("Calendar.ics")), calendarFile);
            EXPECT_EQ(window->Calendar()->events.size(), events);
            EXPECT_TRUE(window->IsPortalReachable());
        }
    }
    // After a cancel the next call works as before.
    ASSERT_TRUE(portal_.SetFault(""));
    window->Event(OrvEvent(10204));
    EXPECT_GT(window->Calendar()->occurrences.Count(), 0);
}

// An end before the start stays in the wizard with a message on the time
// page; nothing reaches the portal. The corrected event goes up.
TEST_F(EditsKeptTest, EndBeforeStartIsRefused)
{
    Start();
    if (HasFatalFailure()) return;
    config_->SetDefault(1, 1, "Ort");
    config_->SetDefault(2, 2, "Veranstalter");
    const struct {
        const char* name;
        int endDays;  // end date after the start date
        QTime end;
        bool refused;
    } cases[] = {
        {"end days before", -5, QTime(23, 30), true},
        {"end the day before, later in the day", -1, QTime(23, 59), true},
        {"end the next day, earlier in the day", 1, QTime(1, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString title = QStringLiteral("Grenzfall ") + QString::fromUtf8(c.name);
        bool stayedOpen = false;
        bool onTimePage = false;
        window->Hooks().runWizard = [&](OrvEventWizard& wizard) {
            QTest::keyClicks(wizard.StartPage()->Main()->Title(), title);
            OrvTimeFields* time = wizard.StartPage()->Time()->Fields();
            const QDate start(2026, 12, 16);
            time->StartDate()->setDate(start);
            time->StartTime()->setTime(QTime(20, 30));
            time->EndDate()->setDate(start.addDays(c.endDays));
            time->EndTime()->setTime(c.end);
            wizard.show();
            OrvMessageWindow::ClearRecorded();
            QTest::mouseClick(wizard.FinishButton(), Qt::LeftButton);
            stayedOpen = wizard.result() != QDialog::Accepted;
            onTimePage = Recorded(Text(366));
            if (auto* page = dynamic_cast<OrvEventWizardPage*>(wizard.CurrentPage()))
                onTimePage = onTimePage && page->Kind() == OrvEventPageKind::Time;
            if (stayedOpen) {
                answer = true;  // the question before the changes go
                wizard.CancelButton()->click();
            }
            return wizard.result() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
        };
        window->Event(OrvEvent(10107, 301));
        EXPECT_EQ(stayedOpen, c.refused);
        EXPECT_EQ(onTimePage, c.refused);
        DownloadWhatThePortalHolds();
        const std::vector<OrvCalendarComponent*> made = EventsNamed(title.toStdString());
        EXPECT_EQ(made.size(), c.refused ? 0u : 1u);
        for (OrvCalendarComponent* e : made) EXPECT_LT(e->dtStart.Text(), e->dtEnd.Text());
    }
}

// Deleting an event and cancelling a changed wizard ask first; "no" keeps
// everything, here and on the portal.
TEST_F(EditsKeptTest, DeletingAndDiscardingAsk)
{
    Start();
    if (HasFatalFailure()) return;
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        std::vector<OrvCalendarComponent*> found = EventsNamed("Salsa Night");
        ASSERT_EQ(found.size(), 1u);
        questions.clear();
        answer = yes;
        window->Event(OrvEvent(10109, 0, DatesOf(found[0])[0]));
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(questions[0].contains(QStringLiteral("Salsa Night")));
        DownloadWhatThePortalHolds();
        EXPECT_EQ(EventsNamed("Salsa Night").size(), yes ? 0u : 1u);
    }

    const struct {
        const char* name;
        bool change;
        bool answer;
        int questions;
        bool closed;
    } cancels[] = {
        {"unchanged", false, false, 0, true},
        {"changed, keep editing", true, false, 1, false},
        {"changed, discard", true, true, 1, true},
    };
    std::vector<OrvCalendarComponent*> found = EventsNamed("Salsa Festival Eröffnung");
    ASSERT_EQ(found.size(), 1u);
    for (const auto& c : cancels) {
        SCOPED_TRACE(c.name);
        questions.clear();
        answer = c.answer;
        bool closed = false;
        window->Hooks().runWizard = [&](OrvEventWizard& wizard) {
            wizard.show();
            if (c.change) QTest::keyClicks(wizard.StartPage()->Main()->Title(), " neu");
            wizard.CancelButton()->click();
            closed = !wizard.isVisible();
            if (!closed) {
                answer = true;
                wizard.CancelButton()->click();
            }
            return ZAF_DIALOG_CLOSE;
        };
        window->Event(OrvEvent(10108, 0, DatesOf(found[0])[0]));
        EXPECT_EQ(closed, c.closed);
        EXPECT_EQ(questions.size(), c.questions + (c.closed ? 0 : 1));
        EXPECT_EQ(EventsNamed("Salsa Festival Eröffnung").size(), 1u);
    }
}

}  // namespace
