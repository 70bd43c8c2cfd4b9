// The local database layer over SQLite: return codes, the trace lines on
// standard output, statement paging and bound parameters.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/OrvDatabase.h"

namespace {

class TempFile {
public:
    TempFile()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvdb.XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        dir_ = made ? made : "";
    }
    ~TempFile()
    {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    std::string File(const char* name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

int OpenStatements(OrvDatabaseSQLite& db)
{
    int n = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db.Handle(), nullptr); s; s = sqlite3_next_stmt(db.Handle(), s)) ++n;
    return n;
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(tmp.File("user.db").c_str()), 0);
        ASSERT_EQ(db.Execute("CREATE TABLE WEBSERVICE ( id INTEGER PRIMARY KEY, retcode INTEGER, "
                             "task VARCHAR(20), message VARCHAR(200));"
                             "INSERT INTO WEBSERVICE VALUES( NULL, 0, 'Befehl', 'Login' );"
                             "INSERT INTO WEBSERVICE VALUES( NULL, 12, 'Antwort', NULL );"
                             "INSERT INTO WEBSERVICE VALUES( NULL, -1, NULL, '7 Tage' );"),
                  0);
    }

    // The statement on the given SQL, prepared.
    OrvDatabaseStatement* Prepared(const char* sql, int* rows = nullptr)
    {
        OrvDatabaseStatement* s = db.CreateStatement();
        s->SetSQL(sql);
        EXPECT_EQ(s->Prepare(rows), 0);
        return s;
    }
    void Release(OrvDatabaseStatement* s)
    {
        s->Finalize();
        db.ReleaseStatement(s);
    }

    TempFile tmp;
    OrvDatabaseSQLite db;
};

TEST(Database, OpenWithoutAnyNameFailsSilently)
{
    OrvDatabaseSQLite db;
    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Open(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(db.Handle(), nullptr);
}

TEST(Database, OpenCreatesTheFileAndKeepsTheName)
{
    TempFile tmp;
    OrvDatabaseSQLite db;
    std::string path = tmp.File("user.db");
    ASSERT_EQ(db.Open(path.c_str(), "user", "password", "host", "options"), 0);
    EXPECT_NE(db.ConnectionHandle(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(db.Close(), 0);
    EXPECT_EQ(db.Handle(), nullptr);
    EXPECT_EQ(db.Close(), 0);
    // The stored name is used again when none is given.
    EXPECT_EQ(db.Open(nullptr), 0);
    EXPECT_EQ(db.FileName(), path);
}

TEST(Database, OpenFailureIsTracedWithCodeZero)
{
    TempFile tmp;
    OrvDatabaseSQLite db;
    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Open(tmp.File("no/such/dir/user.db").c_str()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0: unable to open database file\n");
    EXPECT_EQ(db.Handle(), nullptr);
}

TEST(Database, ClosedDatabaseRefusesWork)
{
    OrvDatabaseSQLite db;
    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Execute("SELECT 1"), -1);
    EXPECT_EQ(db.Query("SELECT 1"), -1);
    OrvDatabaseStatement* s = db.CreateStatement();
    s->SetSQL("SELECT 1");
    EXPECT_EQ(s->Prepare(), -1);
    EXPECT_EQ(s->Step(), -1);
    EXPECT_EQ(s->Seek(1), -1);
    db.ReleaseStatement(s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "21: database is not open\n21: database is not open\n21: database is not open\n");
    EXPECT_EQ(db.Query(nullptr), -1);
    EXPECT_EQ(db.Execute(nullptr), -1);
}

TEST_F(DatabaseTest, ExecuteTracesEveryRow)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Execute("SELECT id, retcode FROM WEBSERVICE ORDER BY id"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "id = 1retcode = 0\nid = 2retcode = 12\nid = 3retcode = -1\n");

    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Execute("SELECT task, message FROM WEBSERVICE WHERE id > 1"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "task = Antwortmessage = NULL\ntask = NULLmessage = 7 Tage\n");
}

TEST_F(DatabaseTest, ErrorsAreTracedWithCodeAndMessage)
{
    struct Case {
        const char* sql;
        const char* trace;
    } cases[] = {
        {"SELECT * FROM NOTHERE", "1: no such table: NOTHERE\n"},
        {"SELEKT 1", "1: near \"SELEKT\": syntax error\n"},
        {"INSERT INTO WEBSERVICE VALUES( 1, 0, 'x', 'y' )", "19: UNIQUE constraint failed: WEBSERVICE.id\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(db.Execute(c.sql), -1) << c.sql;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.trace) << c.sql;

        testing::internal::CaptureStdout();
        EXPECT_EQ(db.Query(c.sql), -1) << c.sql;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.trace) << c.sql;
    }
    // Execute stops at the failing statement; what ran before it stays.
    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Execute("DELETE FROM WEBSERVICE WHERE id = 3; SELEKT; DELETE FROM WEBSERVICE"), -1);
    testing::internal::GetCapturedStdout();
    OrvDatabaseStatement* s = Prepared("SELECT id FROM WEBSERVICE", nullptr);
    int rows = 0;
    while (s->Step() == 0) ++rows;
    EXPECT_EQ(rows, 2);
    Release(s);
}

TEST_F(DatabaseTest, QueryRunsWithoutOutput)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(db.Query("SELECT * FROM WEBSERVICE"), 0);
    EXPECT_EQ(db.Query("UPDATE WEBSERVICE SET retcode = 5 WHERE id = 1"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(OpenStatements(db), 0);
    OrvDatabaseStatement* s = Prepared("SELECT retcode FROM WEBSERVICE WHERE id = 1");
    int v = 0;
    ASSERT_EQ(s->Step(), 0);
    s->GetInt(0, v);
    EXPECT_EQ(v, 5);
    Release(s);
}

TEST_F(DatabaseTest, RowCountLeavesTheStatementBeforeTheFirstRow)
{
    int rows = -1;
    OrvDatabaseStatement* s = Prepared("SELECT * FROM WEBSERVICE ORDER BY id", &rows);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(s->ColumnCount(), 4);
    ASSERT_EQ(s->Step(), 0);
    int id = 0;
    EXPECT_EQ(s->GetInt(0, id), 0);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(s->Step(), 0);
    EXPECT_EQ(s->Step(), 0);
    EXPECT_EQ(s->Step(), 100);
    Release(s);

    s = Prepared("SELECT * FROM WEBSERVICE WHERE id > 99", &rows);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(s->Step(), 100);
    Release(s);
}

TEST_F(DatabaseTest, PreparingTwiceFinalisesTheFirst)
{
    OrvDatabaseStatement* s = Prepared("SELECT id FROM WEBSERVICE");
    ASSERT_EQ(s->Step(), 0);
    s->SetSQL("SELECT task, message FROM WEBSERVICE WHERE id = 2");
    ASSERT_EQ(s->Prepare(), 0);
    EXPECT_EQ(OpenStatements(db), 1);
    EXPECT_EQ(s->ColumnCount(), 2);
    ASSERT_EQ(s->Step(), 0);
    std::string task;
    s->GetText(0, task);
    EXPECT_EQ(task, "Antwort");

    // A failing preparation leaves nothing prepared.
    s->SetSQL("SELECT nosuch FROM WEBSERVICE");
    testing::internal::CaptureStdout();
    EXPECT_EQ(s->Prepare(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1: no such column: nosuch\n");
    EXPECT_EQ(OpenStatements(db), 0);
    EXPECT_EQ(s->Step(), -1);
    Release(s);
}

TEST_F(DatabaseTest, SeekCountsRowsFromOne)
{
    OrvDatabaseStatement* s = Prepared("SELECT id FROM WEBSERVICE ORDER BY id");
    struct Case {
        int n;
        int result;
        int id;   // 0: not checked
    } cases[] = {{2, 0, 2}, {1, 0, 1}, {3, 0, 3}, {4, 100, 0}, {0, 0, 0}, {2, 0, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(s->Seek(c.n), c.result) << c.n;
        if (c.id) {
            int id = 0;
            s->GetInt(0, id);
            EXPECT_EQ(id, c.id) << c.n;
        }
    }
    // Seek(0) leaves the statement before the first row.
    EXPECT_EQ(s->Seek(0), 0);
    ASSERT_EQ(s->Step(), 0);
    int id = 0;
    s->GetInt(0, id);
    EXPECT_EQ(id, 1);
    Release(s);
}

TEST_F(DatabaseTest, StepErrorsAreFailuresNotRows)
{
    // abs() of the smallest integer fails while the row is computed.
    OrvDatabaseStatement* s = Prepared("SELECT abs(-9223372036854775807 - 1)");
    testing::internal::CaptureStdout();
    EXPECT_EQ(s->Seek(1), -1);
    EXPECT_EQ(s->Seek(0), 0);
    EXPECT_EQ(s->Step(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1: integer overflow\n1: integer overflow\n");
    Release(s);

    int rows = -1;
    s = db.CreateStatement();
    s->SetSQL("SELECT abs(-9223372036854775807 - 1)");
    testing::internal::CaptureStdout();
    EXPECT_EQ(s->Prepare(&rows), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1: integer overflow\n");
    EXPECT_EQ(rows, -1);
    Release(s);
}

TEST_F(DatabaseTest, ColumnValues)
{
    OrvDatabaseStatement* s = Prepared("SELECT retcode, task, message, '12abc', 'x', -7 FROM WEBSERVICE WHERE id = 3");
    ASSERT_EQ(s->Step(), 0);
    int v = 99;
    std::string t = "old";
    EXPECT_EQ(s->GetInt(0, v), 0);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(s->GetText(1, t), 0);   // null task
    EXPECT_EQ(t, "");
    v = 99;
    EXPECT_EQ(s->GetInt(1, v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(s->GetText(2, t), 0);
    EXPECT_EQ(t, "7 Tage");
    EXPECT_EQ(s->GetInt(2, v), 0);   // leading number of the text
    EXPECT_EQ(v, 7);
    EXPECT_EQ(s->GetInt(3, v), 0);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(s->GetInt(4, v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(s->GetInt(5, v), 0);
    EXPECT_EQ(v, -7);
    EXPECT_EQ(s->GetText(6, t), -1);   // no such column
    Release(s);
}

TEST_F(DatabaseTest, ColumnIndexByExactName)
{
    OrvDatabaseStatement* s = Prepared("SELECT * FROM WEBSERVICE");
    struct Case {
        const char* name;
        int result;
        int index;
    } cases[] = {{"id", 0, 0}, {"retcode", 0, 1}, {"task", 0, 2}, {"message", 0, 3}, {"TASK", -1, -5}, {"mess", -1, -5}};
    for (const auto& c : cases) {
        int index = -5;
        EXPECT_EQ(s->GetColumnIndex(c.name, index), c.result) << c.name;
        EXPECT_EQ(index, c.index) << c.name;
    }
    Release(s);
}

TEST_F(DatabaseTest, BoundTextIsStoredIntactAndNeverExecuted)
{
    const std::string hostile = "it's O'Brien'); DROP TABLE WEBSERVICE; --";
    EXPECT_EQ(db.ExecuteBound("INSERT INTO WEBSERVICE VALUES( NULL, ?, ?, ? )", {-3, "Antwort", hostile}), 0);
    OrvDatabaseStatement* s = Prepared("SELECT retcode, task, message FROM WEBSERVICE WHERE id = 4");
    ASSERT_EQ(s->Step(), 0);
    int retcode = 0;
    std::string task, message;
    s->GetInt(0, retcode);
    s->GetText(1, task);
    s->GetText(2, message);
    EXPECT_EQ(retcode, -3);
    EXPECT_EQ(task, "Antwort");
    EXPECT_EQ(message, hostile);
    Release(s);

    // A null value, and text with bytes above 0x7F and an embedded quote.
    EXPECT_EQ(db.ExecuteBound("INSERT INTO WEBSERVICE VALUES( NULL, 0, ?1, ?2 )",
                              {OrvDatabaseValue(), "Gr\xC3\xBC\xC3\x9F" "e \"x\""}),
              0);
    s = Prepared("SELECT task IS NULL, message FROM WEBSERVICE WHERE id = 5");
    ASSERT_EQ(s->Step(), 0);
    int isNull = 0;
    s->GetInt(0, isNull);
    s->GetText(1, message);
    EXPECT_EQ(isNull, 1);
    EXPECT_EQ(message, "Gr\xC3\xBC\xC3\x9F" "e \"x\"");
    Release(s);
}

TEST_F(DatabaseTest, BoundStatementFailures)
{
    struct Case {
        const char* name;
        const char* sql;
        std::initializer_list<OrvDatabaseValue> values;
        const char* trace;
    } cases[] = {
        {"constraint", "INSERT INTO WEBSERVICE VALUES( ?, 0, 'a', 'b' )", {1},
         "19: UNIQUE constraint failed: WEBSERVICE.id\n"},
        {"too many values", "INSERT INTO WEBSERVICE VALUES( NULL, ?, 'a', 'b' )", {1, 2},
         "25: column index out of range\n"},
        {"bad sql", "INSERT INTO NOWHERE VALUES( ? )", {1}, "1: no such table: NOWHERE\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(db.ExecuteBound(c.sql, c.values), -1) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.trace) << c.name;
    }
    EXPECT_EQ(db.ExecuteBound(nullptr, {}), -1);
    EXPECT_EQ(OpenStatements(db), 0);
}

TEST_F(DatabaseTest, BindingsSurviveResetUntilCleared)
{
    OrvDatabaseStatement* s = Prepared("SELECT ?1 || '-' || ?2");
    EXPECT_EQ(s->BindText(1, "a"), 0);
    EXPECT_EQ(s->BindInt(2, 42), 0);
    std::string t;
    ASSERT_EQ(s->Step(), 0);
    s->GetText(0, t);
    EXPECT_EQ(t, "a-42");
    EXPECT_EQ(s->Reset(), 0);
    ASSERT_EQ(s->Step(), 0);
    s->GetText(0, t);
    EXPECT_EQ(t, "a-42");
    EXPECT_EQ(s->ClearBindings(), 0);
    s->Reset();
    ASSERT_EQ(s->Step(), 0);
    int isNull = 5;
    s->GetText(0, t);   // NULL || ... is NULL
    EXPECT_EQ(t, "");
    s->GetInt(0, isNull);
    EXPECT_EQ(isNull, 0);
    s->Reset();
    testing::internal::CaptureStdout();
    EXPECT_EQ(s->BindInt(3, 1), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "25: column index out of range\n");
    Release(s);
    OrvDatabaseStatement* unprepared = db.CreateStatement();
    EXPECT_EQ(unprepared->BindText(1, "x"), -1);
    db.ReleaseStatement(unprepared);
}

TEST_F(DatabaseTest, StatementOutlivingTheConnectionIsSafe)
{
    OrvDatabaseStatement* s = Prepared("SELECT * FROM WEBSERVICE");
    ASSERT_EQ(s->Step(), 0);
    EXPECT_EQ(db.Close(), 0);
    EXPECT_EQ(s->Finalize(), 0);
    EXPECT_EQ(s->Finalize(), 0);
    db.ReleaseStatement(s);
    // A statement destroyed while still prepared finalises itself.
    ASSERT_EQ(db.Open(nullptr), 0);
    s = Prepared("SELECT * FROM WEBSERVICE");
    db.ReleaseStatement(s);
    EXPECT_EQ(OpenStatements(db), 0);
}

TEST(Database, OneDatabaseForTheRun)
{
    EXPECT_EQ(&OrvGetDatabase(), &OrvGetDatabase());
    EXPECT_NE(dynamic_cast<OrvDatabaseSQLite*>(&OrvGetDatabase()), nullptr);
}

} // namespace
