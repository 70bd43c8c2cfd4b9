// The main window against the local portal service with its demo data:
// silent login with the stored demo account, the calendar download into
// "Calendar.ics", the month table with the demo events, the request log,
// the queries of the calendars group, and a picture of the window.
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include "AppGuiFixture.h"
#include "OrvMainWindow.h"
#include "model/OrvCalendar.h"
#include "portal/ui/OrvHTTPClientWindow.h"
#include "views/OrvCalendarTable.h"

extern char** environ;

namespace {

class PortalRunTest : public AppGuiFixture {
protected:
    void SetUp() override
    {
        // Port 0: the service picks a free one and names it on its first line.
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string db = dir_.File("portal.db");
        std::vector<std::string> args = {ORV_TEST_PORTAL, "--db", db, "--port", "0", "--seed-demo"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&portal_, ORV_TEST_PORTAL, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = out[0];

        std::string line;
        pollfd p{output_, POLLIN, 0};
        while (line.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
            char buffer[256];
            const ssize_t n = ::read(output_, buffer, sizeof buffer);
            if (n <= 0) break;
            line.append(buffer, static_cast<size_t>(n));
        }
        const size_t at = line.find("listening on ");
        ASSERT_NE(at, std::string::npos) << "the portal service did not start: " << line;
        port_ = std::atoi(line.c_str() + at + 13);
        ASSERT_GT(port_, 0);

        Prepare("[HOST]\nHost=127.0.0.1:" + std::to_string(port_) +
                "\nServicePath=rpc.php?\n"
                "[DEFAULT]\nUsername=demo\nPassword=demo\nRememberPassword=1\nBlocked=0\n"
                "CheckForUpdatesOnStart=1\nApplicationLanguage=1031\n");
        OpenStorageAndDatabase();
    }

    void TearDown() override
    {
        window_.reset();
        if (portal_ > 0) {
            ::kill(portal_, SIGTERM);
            int status = 0;
            ::waitpid(portal_, &status, 0);
        }
        if (output_ >= 0) ::close(output_);
        AppGuiFixture::TearDown();
    }

    pid_t portal_ = -1;
    int output_ = -1;
    int port_ = 0;
    std::unique_ptr<OrvMainWindow> window_;
};

int EntryCount(OrvCalendarTable* table)
{
    int entries = 0;
    for (int i = 0; i < table->CellCount(); ++i) entries += static_cast<int>(table->Cell(i)->Entries().size());
    return entries;
}

TEST_F(PortalRunTest, LogsInDownloadsAndShowsTheCalendar)
{
    window_ = std::make_unique<OrvMainWindow>();
    bool dialogShown = false;
    window_->Hooks().loginDialog = [&](bool, bool&) {
        dialogShown = true;
        return ZAF_DIALOG_CLOSE;
    };
    window_->resize(1280, 820);
    window_->show();
    ASSERT_TRUE(OrvWaitFor([this]() { return window_->Calendar()->occurrences.Count() > 0; }, 20000))
        << "no calendar arrived";
    EXPECT_FALSE(dialogShown) << "the stored demo account did not log in silently";
    EXPECT_TRUE(window_->IsLoggedIn());
    EXPECT_TRUE(window_->Portal()->IsConnected());

    // The calendar went through "Calendar.ics" in the working directory.
    const std::string file = dir_.Read("Calendar.ics");
    EXPECT_NE(file.find("BEGIN:VCALENDAR"), std::string::npos);
    EXPECT_NE(file.find("BEGIN:VEVENT"), std::string::npos);
    EXPECT_FALSE(window_->Calendar()->events.empty());

    // The month table shows the demo events around today.
    auto* table = qobject_cast<OrvCalendarTable*>(window_->CalendarView());
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
    EXPECT_GT(table->CellCount(), 0);
    ASSERT_TRUE(OrvWaitFor([&]() { return EntryCount(table) > 0; }, 5000)) << "no entry in the month table";

    // The portal configuration arrived with the login.
    EXPECT_FALSE(config_->PortalConfig().Empty());

    // Expanding the calendars group fetches the demo user's queries anew.
    OrvAccessGroup_Calendars* calendars = window_->TopArea()->AccessPane()->CalendarsGroup();
    calendars->SetExpanded(false);
    EXPECT_TRUE(calendars->Items().empty());
    calendars->SetExpanded(true);
    std::vector<QWidget*> items = calendars->Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(qobject_cast<QAbstractButton*>(items[1])->text(), QStringLiteral("Salsa in Berlin"));
    EXPECT_EQ(qobject_cast<QAbstractButton*>(items[2])->text(), QStringLiteral("Annas Termine"));

    // The request log, once shown, holds the exchange from its first row.
    window_->Event(OrvEvent(10201));
    ASSERT_NE(window_->RequestLog(), nullptr);
    QApplication::processEvents();
    OrvHTTPClientModel* log = window_->RequestLog()->Table()->Model();
    ASSERT_GT(log->rowCount(), 3);
    EXPECT_EQ(log->RowAt(0).task, QStringLiteral("Status"));
    bool command = false, answer = false;
    for (int i = 0; i < log->rowCount(); ++i) {
        command = command || log->RowAt(i).task == QStringLiteral("Befehl");
        answer = answer || log->RowAt(i).task == QStringLiteral("Antwort");
    }
    EXPECT_TRUE(command);
    EXPECT_TRUE(answer);
    // A further request shows up at once as the newest row.
    const int rows = log->rowCount();
    window_->Event(OrvEvent(10204));
    EXPECT_GT(log->rowCount(), rows);
    EXPECT_EQ(window_->RequestLog()->Table()->currentIndex().row(), log->rowCount() - 1);
    ASSERT_TRUE(OrvWaitFor([&]() { return EntryCount(table) > 0; }, 5000));

    // A picture of the whole window.
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QImage image = window_->grab().toImage();
    ASSERT_FALSE(image.isNull());
    QDir().mkpath(QStringLiteral(ORV_TEST_SCREENSHOTS));
    const QString path = QStringLiteral(ORV_TEST_SCREENSHOTS "/main.png");
    ASSERT_TRUE(image.save(path, "PNG"));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y) & 0xFFFFFF);
    EXPECT_GT(colours.size(), 40) << "the picture is (nearly) blank";
    // The month table covers a large part of the picture.
    const QRect tableArea(table->mapTo(window_.get(), QPoint(0, 0)), table->size());
    EXPECT_GT(tableArea.width() * tableArea.height(), image.width() * image.height() / 4);
}

TEST_F(PortalRunTest, ClosingLogsOut)
{
    window_ = std::make_unique<OrvMainWindow>();
    window_->Hooks().loginDialog = [](bool, bool&) { return ZAF_DIALOG_CLOSE; };
    window_->show();
    ASSERT_TRUE(OrvWaitFor([this]() { return window_->IsLoggedIn(); }, 20000));
    window_->close();
    EXPECT_FALSE(window_->IsLoggedIn());
    EXPECT_FALSE(window_->Portal()->IsConnected());
    EXPECT_FALSE(window_->Portal()->IsInternetOpen());
}

}  // namespace
