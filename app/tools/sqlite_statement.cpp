#include "tools/sqlite_statement.h"

#include <sqlite3.h>

namespace z2e {

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql)
{
    if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &m_statement,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_failed = false;
}

SqliteStatement& SqliteStatement::bind(int index, const std::string& text)
{
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t number)
{
    sqlite3_bind_int64(m_statement, index, number);
    return *this;
}

bool SqliteStatement::next()
{
    const int result = sqlite3_step(m_statement);
    m_failed = result != SQLITE_ROW && result != SQLITE_DONE;
    return result == SQLITE_ROW;
}

bool SqliteStatement::execute()
{
    while (next()) {
    }
    return !m_failed;
}

std::string SqliteStatement::text(int column) const
{
    const unsigned char* text = sqlite3_column_text(m_statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string();
}

std::int64_t SqliteStatement::number(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

} // namespace z2e
