// Thin RAII layer over sqlite3 for the local portal service.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvportal {

struct DbError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Db;

// One prepared statement; parameters are bound by 1-based position.
class Stmt {
public:
    Stmt(Db& db, const char* sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    Stmt& bind(int i, const std::string& s);
    Stmt& bind(int i, const char* s) { return bind(i, std::string(s)); }
    Stmt& bind(int i, int64_t v);
    Stmt& bind(int i, int v) { return bind(i, static_cast<int64_t>(v)); }
    Stmt& bindBlob(int i, const std::string& data);
    Stmt& bindNull(int i);

    // True while a row is available; throws on error.
    bool step();
    // Runs a statement that returns no rows.
    void run();
    void reset();

    std::string text(int col) const;
    int64_t integer(int col) const;
    bool isNull(int col) const;

private:
    Db& db_;
    sqlite3_stmt* st_ = nullptr;
};

class Db {
public:
    explicit Db(const std::string& path);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    void exec(const std::string& sql);
    int64_t lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
    int changes() const { return sqlite3_changes(db_); }
    sqlite3* handle() const { return db_; }
    std::string errorText() const { return sqlite3_errmsg(db_); }

private:
    sqlite3* db_ = nullptr;
};

// Commits on Commit(), rolls back when left without it.
class Transaction {
public:
    explicit Transaction(Db& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!done_) {
            try {
                db_.exec("ROLLBACK");
            } catch (...) {
            }
        }
    }
    void Commit() {
        db_.exec("COMMIT");
        done_ = true;
    }

private:
    Db& db_;
    bool done_ = false;
};

}  // namespace orvportal
