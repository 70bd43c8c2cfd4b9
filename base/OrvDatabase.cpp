#include "base/OrvDatabase.h"

#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kNotOpen = "database is not open";
const char* const kNotPrepared = "statement is not prepared";

// The leading decimal number of a text, clamped to the int range.
int LeadingNumber(const char* text)
{
    if (!text) return 0;
    errno = 0;
    long v = std::strtol(text, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

// ---------------------------------------------------------------------------
// OrvDatabase

OrvDatabase::~OrvDatabase() = default;

int OrvDatabase::ReportError(int code, const char* text)
{
    std::printf("%d: %s\n", code, text ? text : "");
    std::fflush(stdout);
    return 0;
}

int OrvDatabase::ExecuteBound(const char* sql, std::initializer_list<OrvDatabaseValue> values)
{
    if (!sql) return -1;
    OrvDatabaseStatement* statement = CreateStatement();
    statement->SetSQL(sql);
    int result = statement->Prepare();
    int parameter = 1;
    for (const OrvDatabaseValue& v : values) {
        if (result != 0) break;
        switch (v.GetKind()) {
        case OrvDatabaseValue::Integer: result = statement->BindInt(parameter, v.IntegerValue()); break;
        case OrvDatabaseValue::Text: result = statement->BindText(parameter, v.TextValue().c_str()); break;
        case OrvDatabaseValue::Null: result = statement->BindNull(parameter); break;
        }
        ++parameter;
    }
    if (result == 0) {
        int step;
        while ((step = statement->Step()) == 0) {
        }
        result = step == 100 ? 0 : -1;
    }
    statement->Finalize();
    ReleaseStatement(statement);
    return result;
}

OrvDatabaseStatement::~OrvDatabaseStatement() = default;

// ---------------------------------------------------------------------------
// OrvDatabaseSQLite

OrvDatabaseSQLite::~OrvDatabaseSQLite()
{
    Close();
}

OrvDatabaseStatement* OrvDatabaseSQLite::CreateStatement()
{
    return new OrvDatabaseStatementSQLite(this);
}

int OrvDatabaseSQLite::ReleaseStatement(OrvDatabaseStatement* statement)
{
    delete statement;
    return 0;
}

int OrvDatabaseSQLite::Open(const char* fileName, const char*, const char*, const char*, const char*)
{
    if (fileName) fileName_ = fileName;
    if (fileName_.empty()) return -1;
    Close();
    int rc = sqlite3_open_v2(fileName_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        if (db_)
            ReportError(0);
        else
            OrvDatabase::ReportError(0, sqlite3_errstr(rc));
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return -1;
    }
    return 0;
}

int OrvDatabaseSQLite::Close()
{
    if (db_) {
        // Statements still prepared keep the connection alive until they are
        // finalised, instead of the close failing with "busy".
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    return 0;
}

int OrvDatabaseSQLite::Query(const char* sql)
{
    if (!sql) return -1;
    if (!db_) {
        OrvDatabase::ReportError(SQLITE_MISUSE, kNotOpen);
        return -1;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        ReportError(rc);
        sqlite3_finalize(stmt);
        return -1;
    }
    int columns = sqlite3_column_count(stmt);
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) sqlite3_column_text(stmt, i);
    }
    int result = 0;
    if (rc != SQLITE_DONE) {
        ReportError(rc);
        result = -1;
    }
    sqlite3_finalize(stmt);
    return result;
}

int OrvDatabaseSQLite::ReportError(int code)
{
    return OrvDatabase::ReportError(code, db_ ? sqlite3_errmsg(db_) : kNotOpen);
}

namespace {

int TraceRow(void*, int columns, char** values, char** names)
{
    for (int i = 0; i < columns; ++i) std::printf("%s = %s", names[i], values[i] ? values[i] : "NULL");
    std::printf("\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int OrvDatabaseSQLite::Execute(const char* sql)
{
    if (!sql) return -1;
    if (!db_) {
        OrvDatabase::ReportError(SQLITE_MISUSE, kNotOpen);
        return -1;
    }
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql, TraceRow, nullptr, &message);
    if (rc != SQLITE_OK) {
        OrvDatabase::ReportError(rc, message ? message : sqlite3_errstr(rc));
        sqlite3_free(message);
        return -1;
    }
    return 0;
}

OrvDatabase& OrvGetDatabase()
{
    static OrvDatabaseSQLite database;
    return database;
}

// ---------------------------------------------------------------------------
// OrvDatabaseStatementSQLite

OrvDatabaseStatementSQLite::~OrvDatabaseStatementSQLite()
{
    Finalize();
}

int OrvDatabaseStatementSQLite::Prepare(int* rowCount)
{
    Finalize();
    sqlite3* db = database_ ? database_->Handle() : nullptr;
    if (!db) {
        if (database_) database_->OrvDatabase::ReportError(SQLITE_MISUSE, kNotOpen);
        return -1;
    }
    // The current interface re-prepares by itself after a schema change
    // (the request log table is dropped and re-created during a run).
    int rc = sqlite3_prepare_v2(db, sql_.c_str(), -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        database_->ReportError(rc);
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return -1;
    }
    if (!stmt_) {
        // Only white space or comments: nothing to run.
        database_->OrvDatabase::ReportError(SQLITE_MISUSE, "empty statement");
        return -1;
    }
    columnCount_ = sqlite3_column_count(stmt_);
    if (rowCount) {
        int count = 0;
        while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) ++count;
        if (rc != SQLITE_DONE) {
            database_->ReportError(rc);
            Finalize();
            return -1;
        }
        *rowCount = count;
        sqlite3_reset(stmt_);
    }
    return 0;
}

int OrvDatabaseStatementSQLite::Seek(int n)
{
    if (!stmt_) return -1;
    sqlite3_reset(stmt_);
    for (int i = 0; i < n; ++i) {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_DONE) return 100;
        if (rc != SQLITE_ROW) {
            database_->ReportError(rc);
            return -1;
        }
    }
    return 0;
}

int OrvDatabaseStatementSQLite::Step()
{
    if (!stmt_) return -1;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return 0;
    if (rc == SQLITE_DONE) return 100;
    database_->ReportError(rc);
    return -1;
}

int OrvDatabaseStatementSQLite::Finalize()
{
    if (stmt_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
    columnCount_ = 0;
    return 0;
}

int OrvDatabaseStatementSQLite::GetInt(int column, int& value)
{
    if (!stmt_ || column < 0 || column >= columnCount_) return -1;
    value = LeadingNumber(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)));
    return 0;
}

int OrvDatabaseStatementSQLite::GetText(int column, std::string& value)
{
    if (!stmt_ || column < 0 || column >= columnCount_) return -1;
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (text)
        value.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
    else
        value.clear();
    return 0;
}

int OrvDatabaseStatementSQLite::GetColumnIndex(const char* name, int& index)
{
    if (!stmt_ || !name) return -1;
    for (int i = 0; i < columnCount_; ++i) {
        const char* columnName = sqlite3_column_name(stmt_, i);
        if (columnName && std::strcmp(columnName, name) == 0) {
            index = i;
            return 0;
        }
    }
    return -1;
}

int OrvDatabaseStatementSQLite::CheckBind(int rc)
{
    if (rc == SQLITE_OK) return 0;
    database_->ReportError(rc);
    return -1;
}

int OrvDatabaseStatementSQLite::BindInt(int parameter, int value)
{
    if (!stmt_) return -1;
    return CheckBind(sqlite3_bind_int(stmt_, parameter, value));
}

int OrvDatabaseStatementSQLite::BindText(int parameter, const char* text)
{
    if (!stmt_) return -1;
    if (!text) return BindNull(parameter);
    return CheckBind(sqlite3_bind_text(stmt_, parameter, text, -1, SQLITE_TRANSIENT));
}

int OrvDatabaseStatementSQLite::BindNull(int parameter)
{
    if (!stmt_) return -1;
    return CheckBind(sqlite3_bind_null(stmt_, parameter));
}

int OrvDatabaseStatementSQLite::ClearBindings()
{
    if (!stmt_) return -1;
    sqlite3_clear_bindings(stmt_);
    return 0;
}

int OrvDatabaseStatementSQLite::Reset()
{
    if (!stmt_) return -1;
    sqlite3_reset(stmt_);
    return 0;
}
