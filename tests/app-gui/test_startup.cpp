// Start-up: the layout storage must be there before any window opens; its
// bitmaps and layouts are what the windows ask for.
#include <QDialog>
#include <QPushButton>
#include <QIcon>
#include <QImage>
#include <QTimer>

#include "AppGuiFixture.h"
#include "OrvMainWindow.h"
#include "OrvStartup.h"
#include "portal/ui/OrvLoginDialog.h"

namespace {

struct BrokenStorageCase {
    const char* name;
    bool create;
    const char* content;
};

class StartupTest : public AppGuiFixture, public ::testing::WithParamInterface<BrokenStorageCase> {
protected:
    void SetUp() override { Prepare(DefaultConfig(), false); }
};

TEST_P(StartupTest, MissingOrUnreadableStorageReportsAndEnds)
{
    const BrokenStorageCase& c = GetParam();
    if (c.create) dir_.Write("OrvCalendar.znc", c.content);
    char arg0[] = "orvcalendar";
    char* argv[] = {arg0, nullptr};
    const int result = OrvApplicationMain(1, argv);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(OrvExitCode(result), 1);
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("Fehler"));
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].text, QStringLiteral("OrvCalendar.znc nicht vorhanden"));
    // Nothing opened and nothing stays installed.
    EXPECT_EQ(OrvMainWindow::Instance(), nullptr);
    EXPECT_EQ(OrvLayoutStorage::Installed(), nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Storage, StartupTest,
                         ::testing::Values(BrokenStorageCase{"missing", false, ""},
                                           BrokenStorageCase{"empty", true, ""},
                                           BrokenStorageCase{"garbage", true, "qres\x01 this is no resource file"}),
                         [](const auto& info) { return std::string(info.param.name); });

class StorageTest : public AppGuiFixture {};

TEST_F(StorageTest, HoldsEveryBitmapTheWindowsAskFor)
{
    OpenStorageAndDatabase();
    const char* names[] = {"ARROW_LEFT", "ARROW_RIGHT", "TODAY", "LEFTAREA", "BOTTOMAREA",
                           "PUBLISHSTATE_STOPPED", "PUBLISHSTATE_PUBLISHED", "PUBLISHSTATE_WAITING",
                           "HIGHLIGHT", "DIROPEN", "DIRCLOSE", "ITEM_PLUS", "ITEM_MINUS"};
    const QStringList stored = storage_->BitmapNames();
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(stored.contains(QLatin1String(name)));
        const QImage image = OrvBitmap(name).toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(16, 16));
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 128) ++painted;
        EXPECT_GE(painted, 12) << "bitmap is (nearly) empty";
        // A version drawn at twice the size for high-density screens, not
        // the small one blown up.
        const QIcon icon = OrvIcon(name);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
        const QImage large = icon.pixmap(QSize(16, 16), 2.0).toImage();
        EXPECT_EQ(large.size(), QSize(32, 32));
        EXPECT_NE(large.convertToFormat(QImage::Format_ARGB32),
                  image.scaled(32, 32).convertToFormat(QImage::Format_ARGB32));
    }
    for (const QString& stored : storage_->BitmapNames()) EXPECT_FALSE(stored.contains(QLatin1Char('@'))) << stored.toStdString();
    // Two bitmaps that must be told apart are not the same picture.
    EXPECT_NE(OrvBitmap("ITEM_PLUS").toImage(), OrvBitmap("ITEM_MINUS").toImage());
    EXPECT_NE(OrvBitmap("DIROPEN").toImage(), OrvBitmap("DIRCLOSE").toImage());
    EXPECT_TRUE(OrvBitmap("NO_SUCH_BITMAP").isNull());
    EXPECT_TRUE(OrvBitmap("").isNull());
}

TEST_F(StorageTest, LayoutsByName)
{
    OpenStorageAndDatabase();
    const auto main = storage_->Layout(QStringLiteral("OrvCalendar"));
    EXPECT_EQ(main.value(QStringLiteral("title")), QStringLiteral("OrvCalendar"));
    EXPECT_GT(main.value(QStringLiteral("width")).toInt(), 600);
    const auto about = storage_->Layout(QString::fromUtf8("Über OrvCalendar"));
    EXPECT_EQ(about.value(QStringLiteral("title")), QString::fromUtf8("Über OrvCalendar"));
    EXPECT_TRUE(storage_->Layout(QStringLiteral("NoSuchLayout")).isEmpty());
}

TEST_F(StorageTest, NoBitmapsOnceClosed)
{
    OpenStorageAndDatabase();
    ASSERT_FALSE(OrvBitmap("TODAY").isNull());
    storage_->Close();
    EXPECT_TRUE(OrvBitmap("TODAY").isNull());
    EXPECT_FALSE(storage_->IsOpen());
}

// The whole start-up with a portal that does not answer: the silent login
// is impossible without stored credentials, so the login dialog comes up;
// cancelling it without registering closes the application.
TEST_F(StorageTest, CancellingTheLoginDialogEndsTheRun)
{
    bool sawLoginDialog = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        if (auto* dialog = qobject_cast<OrvLoginDialog*>(QApplication::activeModalWidget())) {
            sawLoginDialog = true;
            dialog->CancelButton()->click();
        }
    });
    poll.start();
    bool timedOut = false;
    // Never hang the suite. A timer of this test's own, so that it cannot
    // fire during a later test and close that test's windows.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&]() {
        timedOut = true;
        for (QWidget* window : QApplication::topLevelWidgets()) window->close();
        QApplication::exit(7);
    });
    guard.start(15000);
    char arg0[] = "orvcalendar";
    char* argv[] = {arg0, nullptr};
    const int result = OrvApplicationMain(1, argv);
    poll.stop();
    guard.stop();
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(sawLoginDialog);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(OrvExitCode(result), 0);
    EXPECT_EQ(OrvMainWindow::Instance(), nullptr);
    // The run opened the database in its working directory.
    EXPECT_TRUE(std::filesystem::exists(dir_.File("user.db")));
}

}  // namespace
