#pragma once
// One prepared statement of an SQLite connection, finalized with the object. Texts and numbers
// are bound by their 1-based index and read by their 0-based column, as SQLite counts them.
// The header names no SQLite type, so its users need not include sqlite3.h.

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace z2e {

class SqliteStatement {
public:
    /// Prepares `sql` on `db`; ok() tells whether it compiled.
    SqliteStatement(sqlite3* db, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool ok() const { return m_statement != nullptr; }
    /// Back to before the first step, bindings cleared, for the next use.
    void reset();
    SqliteStatement& bind(int index, const std::string& text);
    SqliteStatement& bind(int index, std::int64_t number);

    /// Steps once: true while a row is there; false at the end or on a failure (failed() says).
    bool next();
    /// Steps to the end: true when it got there without a failure.
    bool execute();
    bool failed() const { return m_failed; }

    std::string text(int column) const;
    std::int64_t number(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
};

} // namespace z2e
