#include "Sqlite.h"

#include <sqlite3.h>

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what)
{
    throw TSqliteError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

TSqliteDb::TSqliteDb(const std::string& path, bool create)
{
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) |
                      SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw TSqliteError("cannot open " + path + ": " + msg);
    }
    sqlite3_busy_timeout(db_, 5000);
}

TSqliteDb::~TSqliteDb() { sqlite3_close(db_); }

void TSqliteDb::Exec(const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        throw TSqliteError(msg);
    }
}

TSqliteStmt::TSqliteStmt(TSqliteDb& db, const char* sql) : db_(db)
{
    if (sqlite3_prepare_v2(db.Handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK)
        Fail(db.Handle(), std::string("cannot prepare \"") + sql + "\"");
}

TSqliteStmt::~TSqliteStmt() { sqlite3_finalize(stmt_); }

void TSqliteStmt::Bind(int index, std::int64_t value)
{
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
        Fail(db_.Handle(), "bind");
}

void TSqliteStmt::Bind(int index, std::string_view text)
{
    if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(db_.Handle(), "bind");
}

void TSqliteStmt::BindNull(int index)
{
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
        Fail(db_.Handle(), "bind");
}

bool TSqliteStmt::Step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(db_.Handle(), "step");
}

void TSqliteStmt::Run()
{
    while (Step()) {
    }
    Reset();
}

void TSqliteStmt::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t TSqliteStmt::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

bool TSqliteStmt::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::string TSqliteStmt::Text(int column) const
{
    const auto* p = sqlite3_column_text(stmt_, column);
    if (!p)
        return {};
    return std::string(reinterpret_cast<const char*>(p),
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

TSqliteTransaction::~TSqliteTransaction()
{
    if (!done_)
        sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqliteTransaction::Commit()
{
    db_.Exec("COMMIT");
    done_ = true;
}
