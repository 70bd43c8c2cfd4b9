// The request log view follows the portal client's log counter: every new
// row appears and becomes the current one.
#include <sqlite3.h>

#include "AppGuiFixture.h"
#include "portal/OrvWebService.h"
#include "portal/ui/OrvHTTPClientWindow.h"

namespace {

class RequestLogTest : public AppGuiFixture {
protected:
    void SetUp() override
    {
        AppGuiFixture::SetUp();
        ASSERT_EQ(sqlite3_open(dir_.File("log.db").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE WEBSERVICE ( id INTEGER PRIMARY KEY, retcode INTEGER, task VARCHAR(20), "
                               "message VARCHAR(200))",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        service = std::make_unique<OrvWebService>("127.0.0.1:9", "rpc.php?");
        service->SetDatabaseHandle(db);
    }
    void TearDown() override
    {
        service.reset();
        sqlite3_close(db);
        AppGuiFixture::TearDown();
    }

    sqlite3* db = nullptr;
    std::unique_ptr<OrvWebService> service;
};

TEST_F(RequestLogTest, FollowsNewRows)
{
    OrvHTTPClientWindow view(service.get());
    view.resize(500, 120);
    view.show();
    OrvHTTPClientTable* table = view.Table();
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Sendeprotokoll"));
    EXPECT_EQ(table->Model()->rowCount(), 0);

    const struct {
        const char* task;
        const char* message;
        int retcode;
    } rows[] = {
        {"Status", "Der Zugriff auf das Internet wird initialisiert", 0},
        {"Befehl", "Login( 'demo', '******' )", 0},
        {"Antwort", "OK", 0},
        {"Fehler", "HttpOpenRequest konnte nicht ausgeführt werden.", -1},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        service->Log(row.task, row.message, row.retcode);
        ++n;
        ASSERT_EQ(table->Model()->rowCount(), n);
        const QModelIndex last = table->Model()->index(n - 1, 0);
        EXPECT_EQ(table->currentIndex().row(), n - 1) << "the newest row is not the current one";
        EXPECT_EQ(table->Model()->data(last, Qt::DisplayRole).toString(), QString::fromUtf8(row.task));
        // Stored with CR LF, shown as one line.
        EXPECT_EQ(table->Model()->data(table->Model()->index(n - 1, 1), Qt::DisplayRole).toString(),
                  QString::fromUtf8(row.message));
        EXPECT_EQ(table->Model()->headerData(n - 1, Qt::Vertical, Qt::DisplayRole).toString(),
                  QString::number(n) + QLatin1Char(' '));
    }
    // The newest row is in view.
    QApplication::processEvents();
    const QRect lastRow = table->visualRect(table->Model()->index(n - 1, 1));
    EXPECT_TRUE(table->viewport()->rect().intersects(lastRow));
}

TEST_F(RequestLogTest, ShowsTheRowsWrittenBeforeItWasShown)
{
    service->Log("Status", "eins", 0);
    service->Log("Befehl", "zwei", 0);
    OrvHTTPClientWindow view(service.get());
    EXPECT_EQ(view.Table()->Model()->rowCount(), 0) << "subscribes when shown";
    view.show();
    ASSERT_EQ(view.Table()->Model()->rowCount(), 2);
    EXPECT_EQ(view.Table()->Model()->RowAt(1).message, QStringLiteral("zwei"));
    // After the view went away, logging goes on without it.
    view.Detach();
    service->Log("Antwort", "drei", 0);
    EXPECT_EQ(view.Table()->Model()->rowCount(), 2);
}

TEST_F(RequestLogTest, MissingTableOrIdsShowNoText)
{
    OrvHTTPClientModel model;
    model.SetDatabase(db);
    // Ids with a gap: the row of a missing id stays empty.
    sqlite3_exec(db, "INSERT INTO WEBSERVICE VALUES (1, 0, 'Status', 'a\r\n'), (3, 0, 'Befehl', 'c\r\n')", nullptr,
                 nullptr, nullptr);
    model.Reload();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_TRUE(model.RowAt(0).found);
    EXPECT_FALSE(model.RowAt(1).found);
    EXPECT_TRUE(model.RowAt(1).message.isEmpty());
    EXPECT_EQ(model.RowAt(2).task, QStringLiteral("Befehl"));
    // Without the table there are no rows, and nothing fails.
    sqlite3_exec(db, "DROP TABLE WEBSERVICE", nullptr, nullptr, nullptr);
    model.Reload();
    EXPECT_EQ(model.rowCount(), 0);
    model.SetRowCount(2);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_FALSE(model.RowAt(0).found);
}

}  // namespace
