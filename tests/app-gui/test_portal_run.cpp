// The main window against the local portal service with its demo data:
// silent login with the stored demo account, the calendar download into
// "Calendar.ics", the month table with the demo events, the request log,
// the queries of the calendars group, and a picture of the window.
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include "PortalAppFixture.h"
#include "OrvMainWindow.h"
#include "model/OrvCalendar.h"
#include "portal/ui/OrvHTTPClientWindow.h"
#include "views/OrvCalendarTable.h"

namespace {

class PortalRunTest : public PortalAppFixture {
protected:
    void SetUp() override { PrepareWithPortal("", "CheckForUpdatesOnStart=1\n"); }

    void TearDown() override
    {
        window_.reset();
        PortalAppFixture::TearDown();
    }

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
    // One login for the whole start: the update check and the download
    // use the session the sequence opened.
    int logins = 0;
    for (int i = 0; i < log->rowCount(); ++i)
        if (log->RowAt(i).task == QStringLiteral("Befehl") && log->RowAt(i).message.startsWith(QStringLiteral("Login(")))
            ++logins;
    EXPECT_EQ(logins, 1);
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
