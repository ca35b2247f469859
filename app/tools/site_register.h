#pragma once
// The site register: the asset records of every computer of a site on one PostgreSQL server,
// reached through libpq with a connection string "postgresql://..." (TLS and passwords as libpq
// takes them: sslmode, ~/.pgpass, PGPASSWORD). Records are only ever added: each has a natural
// key (computer, kind, board, time, place, operation), so sending one twice keeps one. A board's
// history is made from its records in time order, whichever computer sent them first.
//
// The connection string never appears in errors or logs: name() says "host:port/database".
// The program brings the server's schema up to date itself; a schema newer than it knows is
// refused and left as it is. One object is used by one thread at a time. No function throws;
// each that fails returns false with lastError() in words.

#include "tools/asset_register.h"

#include <cstddef>
#include <string>
#include <vector>

struct pg_conn;

namespace z2e {

class SiteRegister : public AssetReader {
public:
    /// The schema this program writes (the highest version in zamo2_schema).
    static constexpr int kSchema = 1;

    explicit SiteRegister(std::string connection);
    ~SiteRegister() override;
    SiteRegister(const SiteRegister&) = delete;
    SiteRegister& operator=(const SiteRegister&) = delete;

    /// Whether `where` names a site register rather than the local file.
    static bool isSite(const std::string& where);

    /// Connects and brings the schema up to date. False with lastError() set.
    bool open();
    bool isOpen() const { return m_db != nullptr; }
    /// "host:port/database" once opened, without user or password; "the site register" before.
    const std::string& name() const { return m_name; }

    /// Adds the records of `computer` in one transaction; `added` counts those the server did
    /// not have. Nothing is added when it fails.
    bool upload(const std::vector<AssetRecord>& records, const std::string& computer, std::size_t& added);

    /// Everything the site knows of the board `serial` (any case), each place and event marked
    /// with its computer.
    bool history(const std::string& serial, AssetHistory& history) override;
    /// The history of every board the site knows, by serial.
    bool histories(std::vector<AssetHistory>& histories);
    /// Every board the site knows, by serial, each with its latest place.
    bool boards(std::vector<AssetBoard>& boards) override;

    const std::string& lastError() const override { return m_error; }

private:
    void close();
    bool fail(const std::string& message);
    /// fail() with the server's words for the connection's last error.
    bool failSql(const std::string& what);
    bool exec(const char* sql);
    /// The first column of the first row of `sql` ("" when there is none).
    bool single(const char* sql, std::string& value);
    /// Ends the open transaction, keeping lastError(); false.
    bool rolledBack();
    bool migrate();
    bool copyIn(const std::vector<AssetRecord>& records, const std::string& computer);
    /// The histories of the records `sql` selects with the parameter `serialKey` (none when empty).
    bool read(const char* sql, const std::string& serialKey, std::vector<AssetHistory>& histories);

    std::string m_connection;
    std::string m_name = "the site register";
    pg_conn* m_db = nullptr;
    std::string m_error;
};

} // namespace z2e
