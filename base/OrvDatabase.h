// The local database layer: an abstract database and statement interface
// and their SQLite implementations. Failures are return codes (0 success,
// -1 failure, 100 no further row) plus a trace line "%d: %s" on standard
// output; nothing here throws or talks to the user.
#pragma once

#include <initializer_list>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class OrvDatabaseStatement;

// A value bound to a statement parameter.
class OrvDatabaseValue {
public:
    enum Kind { Null, Integer, Text };
    OrvDatabaseValue() : kind_(Null) {}
    OrvDatabaseValue(int value) : kind_(Integer), integer_(value) {}
    OrvDatabaseValue(const char* text) : kind_(text ? Text : Null), text_(text ? text : "") {}
    OrvDatabaseValue(const std::string& text) : kind_(Text), text_(text) {}

    Kind GetKind() const { return kind_; }
    int IntegerValue() const { return integer_; }
    const std::string& TextValue() const { return text_; }

private:
    Kind kind_;
    int integer_ = 0;
    std::string text_;
};

class OrvDatabase {
public:
    virtual ~OrvDatabase();

    // A new statement bound to this database, with empty SQL text. The
    // caller finalises it and hands it back to ReleaseStatement.
    virtual OrvDatabaseStatement* CreateStatement() = 0;
    virtual int ReleaseStatement(OrvDatabaseStatement* statement) = 0;
    // A non-null fileName replaces the stored one; the other texts are for
    // database systems with log-ins and are ignored by SQLite.
    virtual int Open(const char* fileName, const char* user = nullptr, const char* password = nullptr,
                     const char* host = nullptr, const char* options = nullptr) = 0;
    virtual int Close() = 0;
    // Runs a statement and reads (and drops) every row.
    virtual int Query(const char* sql) = 0;
    // Trace line "code: text" on standard output.
    virtual int ReportError(int code, const char* text);
    // Trace line with the connection's current error message.
    virtual int ReportError(int code) = 0;
    virtual void* ConnectionHandle() = 0;
    // Runs all statements of the text, writing every result row as
    // "name = value" pairs and a line end.
    virtual int Execute(const char* sql) = 0;

    // Runs one statement with its parameters ("?" or "?NNN") bound to the
    // values in order, so that no value is ever read as SQL. Result rows are
    // dropped. 0 when the statement ran to its end, -1 otherwise.
    int ExecuteBound(const char* sql, std::initializer_list<OrvDatabaseValue> values);
};

class OrvDatabaseStatement {
public:
    virtual ~OrvDatabaseStatement();

    // Finalises a previous preparation and prepares the SQL text. With
    // rowCount, counts the rows and leaves the statement before the first.
    virtual int Prepare(int* rowCount = nullptr) = 0;
    // Resets and steps n times: 0 on row n, 100 when the rows end first.
    virtual int Seek(int n) = 0;
    // 0 on the next row, 100 when there is none, -1 on error.
    virtual int Step() = 0;
    virtual int Finalize() = 0;
    // Column values of the current row; a null value reads as 0 or "".
    virtual int GetInt(int column, int& value) = 0;
    virtual int GetText(int column, std::string& value) = 0;
    // Index of the first result column of that exact name, else -1.
    virtual int GetColumnIndex(const char* name, int& index) = 0;

    // Parameters, counted from 1 as SQLite does; they stay bound across
    // Reset and Seek until ClearBindings or the next Prepare.
    virtual int BindInt(int parameter, int value) = 0;
    virtual int BindText(int parameter, const char* text) = 0;
    virtual int BindNull(int parameter) = 0;
    virtual int ClearBindings() = 0;
    // Back before the first row, keeping the bindings.
    virtual int Reset() = 0;

    void SetSQL(const std::string& sql) { sql_ = sql; }
    const std::string& SQL() const { return sql_; }
    int ColumnCount() const { return columnCount_; }

protected:
    std::string sql_;
    int columnCount_ = 0;
};

class OrvDatabaseSQLite : public OrvDatabase {
public:
    OrvDatabaseSQLite() = default;
    ~OrvDatabaseSQLite() override;
    OrvDatabaseSQLite(const OrvDatabaseSQLite&) = delete;
    OrvDatabaseSQLite& operator=(const OrvDatabaseSQLite&) = delete;

    OrvDatabaseStatement* CreateStatement() override;
    int ReleaseStatement(OrvDatabaseStatement* statement) override;
    int Open(const char* fileName, const char* user = nullptr, const char* password = nullptr,
             const char* host = nullptr, const char* options = nullptr) override;
    int Close() override;
    int Query(const char* sql) override;
    using OrvDatabase::ReportError;
    int ReportError(int code) override;
    void* ConnectionHandle() override { return db_; }
    int Execute(const char* sql) override;

    sqlite3* Handle() const { return db_; }
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    sqlite3* db_ = nullptr;
};

class OrvDatabaseStatementSQLite : public OrvDatabaseStatement {
public:
    explicit OrvDatabaseStatementSQLite(OrvDatabaseSQLite* database) : database_(database) {}
    ~OrvDatabaseStatementSQLite() override;
    OrvDatabaseStatementSQLite(const OrvDatabaseStatementSQLite&) = delete;
    OrvDatabaseStatementSQLite& operator=(const OrvDatabaseStatementSQLite&) = delete;

    int Prepare(int* rowCount = nullptr) override;
    int Seek(int n) override;
    int Step() override;
    int Finalize() override;
    int GetInt(int column, int& value) override;
    int GetText(int column, std::string& value) override;
    int GetColumnIndex(const char* name, int& index) override;
    int BindInt(int parameter, int value) override;
    int BindText(int parameter, const char* text) override;
    int BindNull(int parameter) override;
    int ClearBindings() override;
    int Reset() override;

    bool IsPrepared() const { return stmt_ != nullptr; }

private:
    int CheckBind(int rc);

    OrvDatabaseSQLite* database_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The one local database of the run ("user.db", opened at start-up).
OrvDatabase& OrvGetDatabase();
