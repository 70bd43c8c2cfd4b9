#include "PortalDb.h"

namespace orvportal {

Db::Db(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DbError("cannot open database '" + path + "': " + msg);
    }
    sqlite3_busy_timeout(db_, 5000);
    exec("PRAGMA foreign_keys = ON");
}

Db::~Db() {
    if (db_) sqlite3_close(db_);
}

void Db::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        throw DbError(msg);
    }
}

Stmt::Stmt(Db& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &st_, nullptr) != SQLITE_OK)
        throw DbError(std::string("prepare failed: ") + db.errorText() + " in: " + sql);
}

Stmt::~Stmt() { sqlite3_finalize(st_); }

Stmt& Stmt::bind(int i, const std::string& s) {
    sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
}
Stmt& Stmt::bind(int i, int64_t v) {
    sqlite3_bind_int64(st_, i, v);
    return *this;
}
Stmt& Stmt::bindBlob(int i, const std::string& data) {
    sqlite3_bind_blob(st_, i, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    return *this;
}
Stmt& Stmt::bindNull(int i) {
    sqlite3_bind_null(st_, i);
    return *this;
}

bool Stmt::step() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DbError(std::string("step failed: ") + db_.errorText());
}

void Stmt::run() {
    while (step()) {
    }
}

void Stmt::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

std::string Stmt::text(int col) const {
    const void* p = sqlite3_column_blob(st_, col);
    int n = sqlite3_column_bytes(st_, col);
    if (!p || n <= 0) return {};
    return std::string(static_cast<const char*>(p), static_cast<size_t>(n));
}

int64_t Stmt::integer(int col) const { return sqlite3_column_int64(st_, col); }

bool Stmt::isNull(int col) const { return sqlite3_column_type(st_, col) == SQLITE_NULL; }

}  // namespace orvportal
