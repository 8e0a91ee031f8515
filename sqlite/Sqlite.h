#pragma once
// Thin RAII wrappers over the SQLite C API: a connection and a prepared
// statement. Errors are reported as exceptions (TSqliteError) so that the
// catalog code reads straight through; callers at the edge turn them into
// messages.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class TSqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSqliteDb {
public:
    // Opens (and with `create`, creates) the database file.
    TSqliteDb(const std::string& path, bool create);
    ~TSqliteDb();
    TSqliteDb(const TSqliteDb&) = delete;
    TSqliteDb& operator=(const TSqliteDb&) = delete;

    void Exec(const char* sql);
    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

class TSqliteStmt {
public:
    TSqliteStmt(TSqliteDb& db, const char* sql);
    ~TSqliteStmt();
    TSqliteStmt(const TSqliteStmt&) = delete;
    TSqliteStmt& operator=(const TSqliteStmt&) = delete;

    // Parameters are numbered from 1, as in SQLite.
    void Bind(int index, std::int64_t value);
    void Bind(int index, std::string_view text);
    void BindNull(int index);
    // True while a row is available; false when the statement is done.
    bool Step();
    // Runs a statement that returns no rows, then resets it for reuse.
    void Run();
    void Reset();

    std::int64_t Int(int column) const;
    // Text of a column; empty for NULL.
    std::string Text(int column) const;
    bool IsNull(int column) const;

private:
    TSqliteDb& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// An immediate (write-locking) transaction, rolled back unless committed.
class TSqliteTransaction {
public:
    explicit TSqliteTransaction(TSqliteDb& db) : db_(db) { db_.Exec("BEGIN IMMEDIATE"); }
    ~TSqliteTransaction();
    TSqliteTransaction(const TSqliteTransaction&) = delete;
    TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;

    void Commit();

private:
    TSqliteDb& db_;
    bool done_ = false;
};
