// The main window while the portal misbehaves: replies cut off, slower than
// the timeout, enormous, malformed, or the service dying in the middle of a
// request. The window keeps working and the local calendar loses nothing.
#include <QApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "OrvMainWindow.h"
#include "PortalAppFixture.h"
#include "model/OrvCalendar.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PortalFaultTest : public PortalAppFixture {
protected:
    void SetUp() override
    {
        // Short timeouts, so that a reply held back fails the request.
        PrepareWithPortal("ConnectTimeout=2\nTimeout=2\n", "CheckForUpdatesOnStart=0\n", std::string(), true);
        if (HasFatalFailure()) return;
        OrvMessageWindow::SetTestMode(true);
        window = std::make_unique<OrvMainWindow>();
        window->Hooks().loginDialog = [](bool, bool&) { return ZAF_DIALOG_CLOSE; };
        window->Hooks().askRepeating = [](int, const std::string&, int& value) {
            value = 10131;
            return ZAF_DIALOG_OK;
        };
        // Deleting asks first; the answer is yes, so the portal is asked.
        window->Hooks().confirm = [](const QString&, const QString&) { return true; };
        window->show();
        ASSERT_TRUE(OrvWaitFor([this]() { return window->Calendar()->occurrences.Count() > 0; }, 20000))
            << "no calendar arrived";
        // One event that exists only here: never uploaded, no portal id.
        dir_.Write("local.ics",
                   "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:local@here\nDTSTART:20261215T190000\n"
                   "DTEND:20261215T210000\nSUMMARY:Nur lokal\nEND:VEVENT\nEND:VCALENDAR\n");
        window->Calendar()->Load(dir_.File("local.ics"));
        window->Calendar()->RebuildOccurrences();
        before_ = Summaries();
        calendarFile_ = ReadFile(dir_.File(OrvMainWindow::CalendarFileName));
        ASSERT_FALSE(calendarFile_.empty());
    }
    void TearDown() override
    {
        window.reset();
        PortalAppFixture::TearDown();
    }

    std::multiset<std::string> Summaries() const
    {
        std::multiset<std::string> summaries;
        for (OrvCalendarComponent* event : window->Calendar()->events) summaries.insert(event->summary);
        return summaries;
    }

    // Everything that talks to the portal, from the menus and the month
    // table's context menu.
    void RunPortalCommands(bool withDelete = true)
    {
        const int commands[] = {10204, 10202, 10165, 10200, 10118, 10162, 10168, 10109};
        for (int command : commands) {
            if (command == 10109 && !withDelete) continue;
            SCOPED_TRACE(command);
            OrvEventDate* date = window->Calendar()->occurrences.Count() ? window->Calendar()->occurrences.Item(0)
                                                                          : nullptr;
            window->Event(OrvEvent(command, 0, date));
            QApplication::processEvents();
            ASSERT_TRUE(window->isVisible());
        }
    }

    // unchangedFile: the download was bound to fail, so the file must be
    // as it was; otherwise it may only have been replaced by a whole one.
    void ExpectNothingLost(bool unchangedFile = true)
    {
        const std::multiset<std::string> now = Summaries();
        for (const std::string& summary : before_)
            EXPECT_GE(now.count(summary), 1u) << "lost: " << summary;
        EXPECT_EQ(now.count("Nur lokal"), 1u);
        const std::string file = ReadFile(dir_.File(OrvMainWindow::CalendarFileName));
        if (unchangedFile) {
            EXPECT_TRUE(file == calendarFile_) << "a failed download touched the calendar file";
        } else {
            EXPECT_EQ(file.rfind("BEGIN:VCALENDAR", 0), 0u) << file.substr(0, 200);
            EXPECT_NE(file.find("END:VCALENDAR"), std::string::npos);
        }
        calendarFile_ = file;
    }

    std::unique_ptr<OrvMainWindow> window;
    std::multiset<std::string> before_;
    std::string calendarFile_;
};

TEST_F(PortalFaultTest, MisbehavingRepliesLoseNoLocalEvent)
{
    const struct {
        const char* rule;
        bool downloadFails;
    } faults[] = {
        {"drop=40", true},       // the reply stops after a few bytes of its body
        {"truncate", true},      // a body shorter than announced
        {"delay=4", true},       // slower than the timeout
        {"badjson", true},       // not JSON, and not a calendar either
        {"status500", true},     // the server fails
        {"empty", true},         // nothing
        {"retcode=-1", false},   // every JSON method reports a failure; files still come
        {"html", false},         // the right body under the wrong content type
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.rule);
        ASSERT_TRUE(portal_.SetFault(fault.rule));
        RunPortalCommands();
        ExpectNothingLost(fault.downloadFails);
    }
    // An 8 MiB reply where the calendar or an upload answer should be: the
    // portal says OK but sends nothing usable. (Deleting would succeed on
    // the portal, so it is left out here.)
    ASSERT_TRUE(portal_.SetFault("huge=8:V001_Event_GetCalendar,huge=8:V001_Event_UploadEvent"));
    RunPortalCommands(false);
    ExpectNothingLost(true);
    // Once the portal behaves again, the same window downloads again.
    ASSERT_TRUE(portal_.SetFault(""));
    window->Event(OrvEvent(10204));
    EXPECT_GT(window->Calendar()->occurrences.Count(), 0);
    // The portal's calendar replaced the local one: every event once, the
    // local event only when one of the uploads above reached the portal.
    std::set<std::string> uids;
    for (OrvCalendarComponent* event : window->Calendar()->events)
        EXPECT_TRUE(uids.insert(event->uid).second) << "twice: " << event->summary;
    EXPECT_LE(Summaries().count("Nur lokal"), 1u);
}

TEST_F(PortalFaultTest, ServiceDyingDuringADownloadLosesNothing)
{
    // The calendar reply is held back; the service is killed while the
    // window waits for it.
    ASSERT_TRUE(portal_.SetFault("delay=1:V001_Event_GetCalendar"));
    std::thread killer([this]() {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        portal_.Kill();
    });
    window->Event(OrvEvent(10204));
    killer.join();
    ExpectNothingLost();
    // With nobody answering at all, every command still returns.
    RunPortalCommands();
    ExpectNothingLost();
    // Export still writes every local event.
    window->Hooks().chooseFile = [this](bool) { return QString::fromStdString(dir_.File("saved.ics")); };
    window->Event(OrvEvent(10105));
    const std::string saved = ReadFile(dir_.File("saved.ics"));
    for (const std::string& summary : before_)
        EXPECT_NE(saved.find("SUMMARY:" + summary), std::string::npos) << summary;
}

}  // namespace
