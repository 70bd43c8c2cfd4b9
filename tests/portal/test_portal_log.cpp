// The request log: recreation on the first request, rows stored exactly as
// given, and the replacement row only on a real database failure.
#include "ClientFixture.h"

namespace {

using LogTest = ClientFixture;

const char* const kOkReply = "{\"retcode\":\"0\",\"message\":\"\",\"error\":[],\"result\":{}}";

TEST_F(LogTest, FirstRequestRecreatesTheTableWithIdsFromOne)
{
    // Rows of an earlier run.
    ASSERT_EQ(sqlite3_exec(db_,
                           "CREATE TABLE WEBSERVICE ( id INTEGER PRIMARY KEY, retcode INTEGER, task VARCHAR(20), "
                           "message VARCHAR(200)); INSERT INTO WEBSERVICE VALUES (1, 0, 'Befehl', 'old'), "
                           "(2, 0, 'Antwort', 'old');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Logout(), 0);

    auto rows = orvtest::ReadLog(db_);
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].id, static_cast<int>(i + 1));
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "Status|0|Der Zugriff auf das Internet wird initialisiert",
                         "Status|0|Die Verbindung zu Domain '" + peer.Host() + "' wird hergestellt",
                         "Befehl|0|Logout()",
                         "Antwort|0|OK",
                     }));
    EXPECT_EQ(s.LogCounter().Value(), 4);
}

TEST_F(LogTest, LaterRequestsKeepTheTable)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_EQ(Log().size(), 6u);

    // Closing both handles makes the next request start over.
    s.CloseHandles();
    peer.Reply("application/json", kOkReply);
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_EQ(Log().size(), 4u);
    EXPECT_EQ(s.LogCounter().Value(), 4);
}

TEST_F(LogTest, MessagesAreStoredExactlyAndNeverExecuted)
{
    const char* messages[] = {
        "l'\xE9t\xE9 d'amour",
        "''doubled''",
        "x'); DROP TABLE WEBSERVICE; --",
        "'); INSERT INTO WEBSERVICE VALUES (NULL, 0, 'Befehl', 'forged'); --",
        "",
    };
    // Through the database object and through a bare connection handle.
    for (bool bare : {false, true}) {
        SCOPED_TRACE(bare ? "bare handle" : "database object");
        orvtest::ScriptedPeer peer;
        peer.Reply("application/json", kOkReply);
        auto& s = MakeService(peer.Host());
        if (bare) s.SetDatabaseHandle(db_);
        EXPECT_EQ(s.DatabaseHandle(), db_);
        ASSERT_EQ(s.Logout(), 0);  // recreates the table
        for (const char* m : messages) s.Log("Antwort", m, 7);

        auto rows = orvtest::ReadLog(db_);
        ASSERT_EQ(rows.size(), 4u + std::size(messages));
        for (size_t i = 0; i < std::size(messages); ++i) {
            SCOPED_TRACE(messages[i]);
            const auto& r = rows[4 + i];
            EXPECT_EQ(r.task, "Antwort");
            EXPECT_EQ(r.retcode, 7);
            EXPECT_EQ(r.message, std::string(messages[i]) + "\r\n");
        }
        for (const auto& r : rows) EXPECT_NE(r.task, "TRACE");
        service_.reset();
    }
}

TEST_F(LogTest, ReplacementRowOnlyWhenTheInsertReallyFails)
{
  for (bool bare : {false, true}) {
    SCOPED_TRACE(bare ? "bare handle" : "database object");
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    if (bare) s.SetDatabaseHandle(db_);
    ASSERT_EQ(s.Logout(), 0);
    // The database refuses rows with this marker.
    ASSERT_EQ(sqlite3_exec(db_,
                           "CREATE TRIGGER refuse BEFORE INSERT ON WEBSERVICE WHEN NEW.message LIKE '%REFUSE%' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    s.Log("Antwort", "it's fine", 0);
    s.Log("Antwort", "REFUSE me", 0);
    auto lines = Log();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], "Antwort|0|it's fine");
    EXPECT_EQ(lines[5], "TRACE|-1|INSERT FAILED!<no CRLF>");
    service_.reset();
  }
}

TEST_F(LogTest, MessageIsEmptiedCountedAndNotifiedOrNothingWhenLoggingIsOff)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    ASSERT_EQ(s.Logout(), 0);

    std::vector<int> seen;
    int id = s.LogCounter().Subscribe([&seen](int v) { seen.push_back(v); });
    std::string m = "Status text";
    s.Log("Status", m, 0);
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(seen, (std::vector<int>{5}));

    s.SetLogging(false);
    std::string quiet = "not stored";
    s.Log("Status", quiet, 0);
    EXPECT_EQ(Log().size(), 5u);
    EXPECT_EQ(s.LogCounter().Value(), 5);
    EXPECT_EQ(seen.size(), 1u);

    s.LogCounter().Unsubscribe(id);
    s.SetLogging(true);
    s.Log("Status", "again", 0);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(Log().size(), 6u);
}

TEST_F(LogTest, WithoutDatabaseNothingBreaks)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    s.SetDatabaseHandle(nullptr);
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_TRUE(Log().empty());
}

}  // namespace
