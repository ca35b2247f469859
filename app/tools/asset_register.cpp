#include "tools/asset_register.h"

#include "config/temporary_file.h"
#include "core/app_paths.h"
#include "tools/journal_line_reader.h"
#include "tools/maintenance_journal.h"
#include "tools/record_author.h"
#include "tools/sqlite_statement.h"
#include "uni/log.h"
#include "uni/number_text.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace z2e {

namespace {

const char* const kLogChannel = "assets";
// Long enough for a tool's write to wait out another program's; short enough that a register
// held by a hung program delays a tool only a little.
constexpr int kBusyMs = 5000;
// Serials and texts from drivers, nodes and the journal are bounded before they are kept.
constexpr std::size_t kMaxSerial = 64;
constexpr std::size_t kMaxText = 4096;
// Journal lines read per step of a rebuild: memory stays bounded however long the journal is.
constexpr std::size_t kReplayBatch = 512;

// Each entry takes the schema from its index to the next one.
const char* const kMigrations[] = {
    "CREATE TABLE boards(serial_key TEXT PRIMARY KEY, serial TEXT NOT NULL, model TEXT NOT NULL,"
    " first_seen TEXT NOT NULL, last_seen TEXT NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE places(id INTEGER PRIMARY KEY, serial_key TEXT NOT NULL, system TEXT NOT NULL,"
    " enclosure INTEGER NOT NULL, slot INTEGER NOT NULL, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL);"
    "CREATE INDEX places_of_board ON places(serial_key, first_seen);"
    "CREATE TABLE firmware(id INTEGER PRIMARY KEY, serial_key TEXT NOT NULL, version TEXT NOT NULL,"
    " first_seen TEXT NOT NULL, last_seen TEXT NOT NULL);"
    "CREATE INDEX firmware_of_board ON firmware(serial_key, first_seen);"
    "CREATE TABLE calibrations(serial_key TEXT NOT NULL, date TEXT NOT NULL, first_seen TEXT NOT NULL,"
    " PRIMARY KEY(serial_key, date)) WITHOUT ROWID;"
    "CREATE TABLE events(id INTEGER PRIMARY KEY, serial_key TEXT NOT NULL, time TEXT NOT NULL, node TEXT NOT NULL,"
    " place TEXT NOT NULL, operation TEXT NOT NULL, result INTEGER NOT NULL, status TEXT NOT NULL,"
    " verification TEXT NOT NULL, firmware_before TEXT NOT NULL, firmware_after TEXT NOT NULL,"
    " result_document TEXT NOT NULL, UNIQUE(serial_key, time, node, operation));",
    // How far the journal has been read: its file's identity and the end of its last whole line.
    "CREATE TABLE journal_read(id INTEGER PRIMARY KEY CHECK(id = 1), file INTEGER NOT NULL, offset INTEGER NOT NULL);",
    // What a site register is sent, and how far each site has had it. The events recorded before
    // go too, without the user who is not known for them.
    "CREATE TABLE records(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, serial_key TEXT NOT NULL, serial TEXT NOT NULL,"
    " model TEXT NOT NULL, time TEXT NOT NULL, system TEXT NOT NULL, enclosure INTEGER NOT NULL, slot INTEGER NOT NULL,"
    " place TEXT NOT NULL, firmware TEXT NOT NULL, calibration_date TEXT NOT NULL, operation TEXT NOT NULL,"
    " result INTEGER NOT NULL, status TEXT NOT NULL, verification TEXT NOT NULL, firmware_before TEXT NOT NULL,"
    " firmware_after TEXT NOT NULL, result_document TEXT NOT NULL, user TEXT NOT NULL);"
    "INSERT INTO records(kind, serial_key, serial, model, time, system, enclosure, slot, place, firmware,"
    " calibration_date, operation, result, status, verification, firmware_before, firmware_after, result_document, user)"
    " SELECT 'event', e.serial_key, b.serial, b.model, e.time, e.node, -1, 4294967295, e.place, '', '', e.operation,"
    " e.result, e.status, e.verification, e.firmware_before, e.firmware_after, e.result_document, ''"
    " FROM events e JOIN boards b USING(serial_key) ORDER BY e.time, e.id;"
    "CREATE TABLE uploads(site TEXT PRIMARY KEY, last_id INTEGER NOT NULL) WITHOUT ROWID;",
};
static_assert(sizeof kMigrations / sizeof kMigrations[0] == AssetRegister::kSchema, "one migration per schema");

std::string clipped(const std::string& text)
{
    return text.size() <= kMaxText ? text : text.substr(0, kMaxText);
}

// "E/S" as the journal writes a board's place.
bool parsePlace(const std::string& text, std::int32_t& enclosure, std::uint32_t& slot)
{
    const auto slash = text.find('/');
    return slash != std::string::npos && uni::text::parseSignedDecimal(text.substr(0, slash), enclosure) &&
           uni::text::parseUnsignedDecimal(text.substr(slash + 1), slot);
}

bool damagedCode(int code)
{
    return (code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT;
}

void syncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

// The statements of recordStay() on `table`: the stay that began last at or before ?2, else the
// one that begins first after it, is stretched to ?2 when it is of what `same` tests (?3...);
// else a new one begins.
struct AssetRegister::Stays {
    Stays(const std::string& table, const std::string& same, const std::string& columns, const std::string& values)
    {
        const std::string stretch = "UPDATE " + table +
                                    " SET first_seen = min(first_seen, ?2), last_seen = max(last_seen, ?2) WHERE " +
                                    same + " AND id = (SELECT id FROM " + table + " WHERE serial_key = ?1 AND ";
        stretchEarlier = stretch + "first_seen <= ?2 ORDER BY first_seen DESC, id DESC LIMIT 1)";
        stretchLater = stretch + "first_seen > ?2 ORDER BY first_seen, id LIMIT 1)";
        begin = "INSERT INTO " + table + "(serial_key, first_seen, last_seen, " + columns + ") VALUES(?1, ?2, ?2, " +
                values + ")";
    }
    std::string stretchEarlier;
    std::string stretchLater;
    std::string begin;
};

AssetRegister::AssetRegister(std::string folder) : m_folder(std::move(folder)), m_path(m_folder + "/" + kFileName) {}

AssetRegister::~AssetRegister()
{
    close();
}

std::string AssetRegister::defaultFolder()
{
    return expandedAppPath(AppPathKind::DataFolder);
}

std::string AssetRegister::folderOfJournal(const std::string& maintenanceFolder)
{
    std::string folder = maintenanceFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const auto slash = folder.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : folder.substr(0, slash);
}

void AssetRegister::close()
{
    m_statements.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool AssetRegister::fail(const std::string& message)
{
    m_error = message;
    return false;
}

bool AssetRegister::failSql(const std::string& what)
{
    return fail(what + " " + m_path + ": " + (m_db ? sqlite3_errmsg(m_db) : "not open"));
}

bool AssetRegister::exec(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || failSql("cannot use");
}

SqliteStatement* AssetRegister::prepared(const std::string& sql)
{
    auto& statement = m_statements[sql];
    if (!statement)
        statement = std::make_unique<SqliteStatement>(m_db, sql);
    if (!statement->ok()) {
        failSql("cannot use");
        statement.reset();
        return nullptr;
    }
    statement->reset();
    return statement.get();
}

bool AssetRegister::single(const char* sql, std::string& value)
{
    SqliteStatement* statement = prepared(sql);
    if (!statement || !statement->next())
        return false;
    value = statement->text(0);
    statement->reset();
    return true;
}

bool AssetRegister::readSchema(std::int32_t& schema)
{
    std::string text;
    return single("PRAGMA user_version", text) && uni::text::parseSignedDecimal(text, schema);
}

bool AssetRegister::inTransaction(const char* begin, const std::function<bool()>& work)
{
    if (!m_db)
        return fail("the asset register " + m_path + " is not open");
    if (!exec(begin))
        return false;
    if (work() && exec("COMMIT"))
        return true;
    const std::string error = m_error;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return fail(error);
}

bool AssetRegister::open()
{
    if (!openFile())
        return false;
    // A register behind the journal still answers with what it holds: reading never fails for it.
    if (!catchUp(m_realFolder + "/maintenance")) {
        UNI_LOG(kLogChannel, uni::log::warning) << "asset register not brought up to the journal: " << m_error;
        m_notice += (m_notice.empty() ? "" : "; ") + m_error +
                    " - the asset register answers with what it held; the journal's newer lines go in at the next run";
    }
    return true;
}

bool AssetRegister::openFile()
{
    close();
    m_notice.clear();
    if (!ensureDirectory(m_folder))
        return fail("cannot create the folder " + m_folder + " of the asset register");
    // SQLite refuses a link anywhere in the path; a link to the folder is the operator's choice,
    // only one at the file itself is refused.
    char* real = ::realpath(m_folder.c_str(), nullptr);
    if (!real)
        return fail("cannot find the folder " + m_folder + " of the asset register: " + std::strerror(errno));
    m_realFolder = real;
    std::free(real);
    m_path = m_realFolder + "/" + kFileName;
    // A rebuild that a killed run left half made goes first.
    TemporaryFiles::removeStale(m_realFolder);
    if (!refuseNonFiles() || !create())
        return false;
    struct stat info {};
    // A register is never made empty at its place: an empty file was cut short.
    const bool empty = ::lstat(m_path.c_str(), &info) == 0 && info.st_size == 0;
    Opened opened = empty ? (fail("the file is empty"), Opened::Damaged) : connect();
    if (opened != Opened::Damaged)
        return opened == Opened::Ok;
    const std::string reason = m_error;
    close();
    if (!moveAside(reason) || !create())
        return false;
    opened = connect();
    return opened == Opened::Ok ||
           (opened == Opened::Damaged && fail("the asset register made anew is damaged: " + m_error));
}

// The register and its WAL files are the program's own: nothing planted there is followed.
bool AssetRegister::refuseNonFiles()
{
    for (const char* end : {"", "-wal", "-shm"}) {
        const std::string path = m_path + end;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT)
                continue;
            return fail("cannot look at " + path + ": " + std::strerror(errno));
        }
        if (!S_ISREG(info.st_mode))
            return fail(path + " is not a file of the asset register (a symbolic link, FIFO or folder stands there); "
                               "it is left as it is and the register is not used - remove it to start a new one");
    }
    return true;
}

AssetRegister::Opened AssetRegister::connect()
{
    if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        failSql("cannot open");
        close();
        return Opened::Failed;
    }
    sqlite3_busy_timeout(m_db, kBusyMs);
    const Opened opened = checked();
    if (opened != Opened::Ok)
        close();
    return opened;
}

// The schema is read before anything is written: a newer program's file stays as it is.
AssetRegister::Opened AssetRegister::checked()
{
    const auto damagedOr = [this](const std::string& what) {
        if (!damagedCode(sqlite3_extended_errcode(m_db))) {
            failSql(what);
            return Opened::Failed;
        }
        fail(sqlite3_errmsg(m_db));
        return Opened::Damaged;
    };
    std::int32_t schema = 0;
    if (!readSchema(schema))
        return damagedOr("cannot read");
    if (schema < 0) {
        fail("schema " + std::to_string(schema) + ", which no ZAMO2Explorer writes");
        return Opened::Damaged;
    }
    if (schema > kSchema) {
        fail(m_path + " was written by a newer ZAMO2Explorer (schema " + std::to_string(schema) + "); this one knows " +
             std::to_string(kSchema) +
             " and leaves it as it is - use the newer program, or move the file aside to make a new "
             "register from the journal");
        return Opened::Failed;
    }
    std::string verdict;
    if (!single("PRAGMA quick_check", verdict))
        return damagedOr("cannot check");
    if (verdict != "ok") {
        fail("quick check of " + m_path + " found: " + verdict);
        return Opened::Damaged;
    }
    // Each commit then waits for no disk; a crash loses at most the last commits, which the
    // journal still holds. A register of this schema needs no write to be read: another
    // program's long write does not keep it closed.
    if (!toWal() || !exec("PRAGMA synchronous=NORMAL") || (schema < kSchema && !migrate()))
        return damagedOr("cannot prepare");
    return Opened::Ok;
}

// A file just made is not in WAL mode yet. Leaving that mode needs the file to itself, and
// SQLite gives up at once, without waiting, where waiting could deadlock with another program
// that writes: the other finishes once this one has let go, so this one tries again.
bool AssetRegister::toWal()
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyMs);
    for (;;) {
        const int result = sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (result == SQLITE_OK)
            return true;
        if ((result & 0xFF) != SQLITE_BUSY || std::chrono::steady_clock::now() > until)
            return failSql("cannot use");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool AssetRegister::migrate()
{
    return inTransaction("BEGIN IMMEDIATE", [this] {
        // Another program may have migrated it meanwhile.
        std::int32_t schema = 0;
        if (!readSchema(schema))
            return failSql("cannot read");
        if (schema < 0 || schema > kSchema)
            return fail(m_path + " was changed meanwhile (schema " + std::to_string(schema) + ")");
        for (std::int32_t step = schema; step < kSchema; ++step) {
            if (!exec(kMigrations[step]))
                return false;
        }
        return schema == kSchema || exec(("PRAGMA user_version=" + std::to_string(kSchema)).c_str());
    });
}

bool AssetRegister::create()
{
    struct stat info {};
    if (::lstat(m_path.c_str(), &info) == 0)
        return true;
    TemporaryFile temp(m_realFolder);
    if (!temp.write("", false))
        return fail("cannot make the asset register: " + temp.error());
    if (!build(temp.path(), m_realFolder + "/maintenance"))
        return false;
    const TemporaryFile::Placed placed = temp.placeNew(kFileName);
    if (placed == TemporaryFile::Placed::Failed)
        return fail("cannot make the asset register: " + temp.error());
    // Exists: another program made it first, from the same journal.
    if (placed == TemporaryFile::Placed::Ok)
        temp.syncFolder();
    return true;
}

bool AssetRegister::moveAside(const std::string& reason)
{
    std::string time = MaintenanceJournal::utcNow();
    std::replace(time.begin(), time.end(), ':', '-');
    const std::string aside = m_path + ".damaged-" + time;
    if (std::rename(m_path.c_str(), aside.c_str()) != 0)
        return fail("the asset register " + m_path + " is damaged (" + reason +
                    ") and cannot be moved aside: " + std::strerror(errno));
    // Its WAL files would be taken for those of the new file; beside the moved file they are its own.
    for (const char* end : {"-wal", "-shm"})
        std::rename((m_path + end).c_str(), (aside + end).c_str());
    m_notice = "the asset register " + m_path + " was damaged (" + reason + "); it was moved aside as " + aside +
               " and made again from the maintenance journal";
    UNI_LOG(kLogChannel, uni::log::warning) << m_notice;
    return true;
}

bool AssetRegister::build(const std::string& path, const std::string& maintenanceFolder)
{
    AssetRegister built(m_folder);
    built.m_path = path;
    // Nothing reads the new file before it is complete: no journal, no syncs until the end. It
    // stays out of WAL mode until it is opened as the register, so that reading it leaves no
    // WAL files behind.
    const bool ok = sqlite3_open_v2(path.c_str(), &built.m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) ==
                        SQLITE_OK &&
                    built.exec("PRAGMA journal_mode=OFF") && built.exec("PRAGMA synchronous=OFF") && built.migrate() &&
                    built.replay(maintenanceFolder);
    if (!ok) {
        if (built.m_error.empty())
            built.failSql("cannot make");
        return fail(built.m_error);
    }
    m_rebuild = built.m_rebuild;
    built.close();
    syncFile(path);
    return true;
}

bool AssetRegister::replay(const std::string& maintenanceFolder)
{
    return inTransaction("BEGIN IMMEDIATE", [&] { return readJournal(maintenanceFolder, false); });
}

// Tools append to the journal only; what they appended since the last reader is recorded here,
// so a tool never waits for the register.
bool AssetRegister::catchUp(const std::string& maintenanceFolder)
{
    return inTransaction("BEGIN IMMEDIATE", [&] { return readJournal(maintenanceFolder, true); });
}

bool AssetRegister::readJournal(const std::string& maintenanceFolder, bool fromMark)
{
    m_rebuild = {};
    std::uint64_t file = 0;
    std::uint64_t from = 0;
    if (fromMark) {
        SqliteStatement* mark = prepared("SELECT file, offset FROM journal_read WHERE id = 1");
        if (!mark)
            return false;
        if (mark->next()) {
            file = static_cast<std::uint64_t>(mark->number(0));
            from = static_cast<std::uint64_t>(mark->number(1));
        } else if (mark->failed()) {
            return failSql("cannot read");
        }
        // A statement left on its row would keep this connection's read snapshot past the
        // commit, and its next write would find the file busy at once.
        mark->reset();
    }
    JournalLineReader reader(maintenanceFolder + "/history.jsonl", file, from);
    std::vector<std::string> lines;
    for (bool more = true; more;) {
        lines.clear();
        std::string line;
        while (lines.size() < kReplayBatch && (more = reader.next(line)))
            lines.push_back(std::move(line));
        m_rebuild.lines += lines.size();
        for (const std::string& each : lines) {
            if (!recordLine(each))
                return false;
        }
    }
    m_rebuild.damaged = reader.damaged();
    SqliteStatement* mark = prepared("INSERT OR REPLACE INTO journal_read(id, file, offset) VALUES(1, ?, ?)");
    if (!mark)
        return false;
    mark->bind(1, static_cast<std::int64_t>(reader.identity()));
    mark->bind(2, static_cast<std::int64_t>(reader.wholeLinesEnd()));
    return mark->execute() || failSql("cannot write");
}

bool AssetRegister::rebuild(const std::string& maintenanceFolder)
{
    if (!m_db && !open())
        return false;
    TemporaryFile temp(m_realFolder);
    if (!temp.write("", false))
        return fail("cannot rebuild the asset register: " + temp.error());
    return build(temp.path(), maintenanceFolder) && copyFrom(temp.path());
}

bool AssetRegister::copyFrom(const std::string& path)
{
    sqlite3* source = nullptr;
    if (sqlite3_open_v2(path.c_str(), &source, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(source);
        return fail("cannot read the rebuilt asset register " + path);
    }
    m_statements.clear();
    sqlite3_backup* backup = sqlite3_backup_init(m_db, "main", source, "main");
    const int stepped = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    const int finished = sqlite3_backup_finish(backup);
    sqlite3_close_v2(source);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        return failSql("cannot replace the content of");
    return true;
}

bool AssetRegister::recordJournalLines(const std::vector<std::string>& lines)
{
    return inTransaction("BEGIN IMMEDIATE", [&] {
        return std::all_of(lines.begin(), lines.end(), [this](const std::string& line) { return recordLine(line); });
    });
}

bool AssetRegister::recordSightings(const std::vector<AssetSighting>& sightings)
{
    return inTransaction("BEGIN IMMEDIATE", [&] {
        return std::all_of(sightings.begin(), sightings.end(),
                           [this](const AssetSighting& sighting) { return recordSighting(sighting); });
    });
}

bool AssetRegister::recordLine(const std::string& line)
{
    using J = MaintenanceJournal;
    const std::string serial = J::field(line, "serial");
    const std::string time = clipped(J::field(line, "time"));
    // An enclosure's line names the enclosure's serial, not a board's.
    if (serial.empty() || serial.size() > kMaxSerial || time.empty() || !J::field(line, "enclosure").empty())
        return true;
    const std::string key = J::serialKey(serial);
    const std::string node = clipped(J::field(line, "node"));
    const std::string place = clipped(J::field(line, "place"));
    const std::string before = clipped(J::field(line, "firmwareBefore"));
    const std::string after = clipped(J::field(line, "firmwareAfter"));
    std::int32_t result = 0;
    uni::text::parseSignedDecimal(J::field(line, "result"), result);
    SqliteStatement* event = prepared(
        "INSERT OR IGNORE INTO events(serial_key, time, node, place, operation, result, status, verification,"
        " firmware_before, firmware_after, result_document) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    if (!event)
        return false;
    event->bind(1, key).bind(2, time).bind(3, node).bind(4, place).bind(5, clipped(J::field(line, "operation")));
    event->bind(6, static_cast<std::int64_t>(result)).bind(7, clipped(J::field(line, "status")));
    event->bind(8, clipped(J::field(line, "verification"))).bind(9, before).bind(10, after);
    event->bind(11, clipped(J::field(line, "resultDocument")));
    if (!event->execute())
        return failSql("cannot write to");
    // The line was recorded before: what it says is there already.
    if (sqlite3_changes(m_db) == 0)
        return true;
    if (!recordBoard(key, serial, clipped(J::field(line, "model")), time))
        return false;
    std::int32_t enclosure = -1;
    std::uint32_t slot = 0;
    if (parsePlace(place, enclosure, slot) && !recordPlace(key, node, enclosure, slot, time))
        return false;
    for (const std::string* version : {&before, &after}) {
        if (!version->empty() && !recordFirmware(key, *version, time))
            return false;
    }
    AssetRecord record;
    record.kind = AssetRecord::kEvent;
    record.serialKey = key;
    record.serial = serial;
    record.model = clipped(J::field(line, "model"));
    record.time = time;
    record.system = node;
    record.place = place;
    record.operation = clipped(J::field(line, "operation"));
    record.result = result;
    record.status = clipped(J::field(line, "status"));
    record.verification = clipped(J::field(line, "verification"));
    record.firmwareBefore = before;
    record.firmwareAfter = after;
    record.resultDocument = clipped(J::field(line, "resultDocument"));
    record.user = clipped(J::field(line, "user"));
    return keepRecord(record);
}

bool AssetRegister::recordSighting(const AssetSighting& sighting)
{
    if (sighting.serial.empty() || sighting.serial.size() > kMaxSerial)
        return true;
    const std::string key = MaintenanceJournal::serialKey(sighting.serial);
    const std::string time = sighting.time.empty() ? MaintenanceJournal::utcNow() : clipped(sighting.time);
    if (!recordBoard(key, sighting.serial, clipped(sighting.model), time) ||
        !recordPlace(key, clipped(sighting.system), sighting.enclosure, sighting.slot, time))
        return false;
    if (!sighting.firmware.empty() && !recordFirmware(key, clipped(sighting.firmware), time))
        return false;
    AssetRecord record;
    record.kind = AssetRecord::kSeen;
    record.serialKey = key;
    record.serial = sighting.serial;
    record.model = clipped(sighting.model);
    record.time = time;
    record.system = clipped(sighting.system);
    record.enclosure = sighting.enclosure;
    record.slot = sighting.slot;
    record.firmware = clipped(sighting.firmware);
    record.calibrationDate = clipped(sighting.calibrationDate);
    record.user = RecordAuthor::user();
    if (!keepRecord(record))
        return false;
    if (sighting.calibrationDate.empty())
        return true;
    SqliteStatement* calibration =
        prepared("INSERT INTO calibrations(serial_key, date, first_seen) VALUES(?1, ?2, ?3) ON CONFLICT DO UPDATE"
                 " SET first_seen = min(first_seen, excluded.first_seen)");
    return calibration &&
           (calibration->bind(1, key).bind(2, clipped(sighting.calibrationDate)).bind(3, time).execute() ||
            failSql("cannot write to"));
}

bool AssetRegister::keepRecord(const AssetRecord& r)
{
    SqliteStatement* record = prepared(
        "INSERT INTO records(kind, serial_key, serial, model, time, system, enclosure, slot, place, firmware,"
        " calibration_date, operation, result, status, verification, firmware_before, firmware_after, result_document,"
        " user) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)");
    if (!record)
        return false;
    record->bind(1, r.kind).bind(2, r.serialKey).bind(3, r.serial).bind(4, r.model).bind(5, r.time).bind(6, r.system);
    record->bind(7, static_cast<std::int64_t>(r.enclosure)).bind(8, static_cast<std::int64_t>(r.slot));
    record->bind(9, r.place).bind(10, r.firmware).bind(11, r.calibrationDate).bind(12, r.operation);
    record->bind(13, r.result).bind(14, r.status).bind(15, r.verification).bind(16, r.firmwareBefore);
    record->bind(17, r.firmwareAfter).bind(18, r.resultDocument).bind(19, r.user);
    return record->execute() || failSql("cannot write to");
}

bool AssetRegister::pendingRecords(const std::string& site, std::size_t most, std::vector<AssetRecord>& records)
{
    records.clear();
    return inTransaction("BEGIN", [&] {
        SqliteStatement* pending = prepared(
            "SELECT id, kind, serial_key, serial, model, time, system, enclosure, slot, place, firmware,"
            " calibration_date, operation, result, status, verification, firmware_before, firmware_after,"
            " result_document, user FROM records WHERE id > coalesce((SELECT last_id FROM uploads WHERE site = ?1), 0)"
            " ORDER BY id LIMIT ?2");
        if (!pending)
            return false;
        pending->bind(1, site).bind(2, static_cast<std::int64_t>(most));
        while (pending->next()) {
            records.push_back(AssetRecord::fromColumns([pending](int column) { return pending->text(column); }, 1));
            records.back().id = pending->number(0);
        }
        return !pending->failed() || failSql("cannot read");
    });
}

bool AssetRegister::markUploaded(const std::string& site, std::int64_t lastId)
{
    return inTransaction("BEGIN IMMEDIATE", [&] {
        SqliteStatement* mark = prepared("INSERT INTO uploads(site, last_id) VALUES(?1, ?2)"
                                         " ON CONFLICT DO UPDATE SET last_id = max(last_id, excluded.last_id)");
        return mark && (mark->bind(1, site).bind(2, lastId).execute() || failSql("cannot write to"));
    });
}

bool AssetRegister::recordBoard(const std::string& key, const std::string& serial, const std::string& model,
                                const std::string& time)
{
    // The model a board had last is its name now (a cross grade changes it).
    SqliteStatement* board =
        prepared("INSERT INTO boards(serial_key, serial, model, first_seen, last_seen) VALUES(?1, ?2, ?3, ?4, ?4)"
                 " ON CONFLICT DO UPDATE SET model = CASE WHEN excluded.model <> '' AND excluded.last_seen >= last_seen"
                 " THEN excluded.model ELSE model END, first_seen = min(first_seen, excluded.first_seen),"
                 " last_seen = max(last_seen, excluded.last_seen)");
    return board &&
           (board->bind(1, key).bind(2, serial).bind(3, model).bind(4, time).execute() || failSql("cannot write to"));
}

// Stays are matched by time, not by the order they are recorded in: the window and zamo2ctl
// may record a little out of turn, and a rebuild reads the journal in its order.
bool AssetRegister::recordStay(const Stays& stays, const std::string& key, const std::string& time,
                               const std::function<void(SqliteStatement&)>& bindWhat)
{
    for (const std::string& sql : {stays.stretchEarlier, stays.stretchLater, stays.begin}) {
        SqliteStatement* statement = prepared(sql);
        if (!statement)
            return false;
        statement->bind(1, key).bind(2, time);
        bindWhat(*statement);
        if (!statement->execute())
            return failSql("cannot write to");
        if (sqlite3_changes(m_db) != 0)
            return true;
    }
    return fail("cannot write to " + m_path + ": nothing changed");
}

bool AssetRegister::recordPlace(const std::string& key, const std::string& system, std::int64_t enclosure,
                                std::int64_t slot, const std::string& time)
{
    static const Stays places{"places", "system = ?3 AND enclosure = ?4 AND slot = ?5", "system, enclosure, slot",
                              "?3, ?4, ?5"};
    return recordStay(places, key, time,
                      [&](SqliteStatement& s) { s.bind(3, system).bind(4, enclosure).bind(5, slot); });
}

bool AssetRegister::recordFirmware(const std::string& key, const std::string& version, const std::string& time)
{
    static const Stays firmware{"firmware", "version = ?3", "version", "?3"};
    return recordStay(firmware, key, time, [&](SqliteStatement& s) { s.bind(3, version); });
}

bool AssetRegister::history(const std::string& serial, AssetHistory& history)
{
    history = {};
    const std::string key = MaintenanceJournal::serialKey(serial);
    return inTransaction("BEGIN", [&] {
        SqliteStatement* board =
            prepared("SELECT serial, model, first_seen, last_seen FROM boards WHERE serial_key = ?1");
        if (!board)
            return false;
        board->bind(1, key);
        history.found = board->next();
        if (board->failed())
            return failSql("cannot read");
        if (!history.found)
            return true;
        history.board = {board->text(0), board->text(1), board->text(2), board->text(3), false, {}};
        board->reset();
        SqliteStatement* places = prepared("SELECT system, enclosure, slot, first_seen, last_seen FROM places"
                                           " WHERE serial_key = ?1 ORDER BY first_seen, id");
        if (!places)
            return false;
        for (places->bind(1, key); places->next();)
            history.places.push_back({places->text(0),
                                      static_cast<std::int32_t>(places->number(1)),
                                      static_cast<std::uint32_t>(places->number(2)),
                                      places->text(3),
                                      places->text(4),
                                      {}});
        SqliteStatement* firmware = prepared("SELECT version, first_seen, last_seen FROM firmware"
                                             " WHERE serial_key = ?1 ORDER BY first_seen, id");
        if (!firmware)
            return false;
        for (firmware->bind(1, key); firmware->next();)
            history.firmware.push_back({firmware->text(0), firmware->text(1), firmware->text(2)});
        SqliteStatement* calibrations = prepared("SELECT date, first_seen FROM calibrations WHERE serial_key = ?1"
                                                 " ORDER BY first_seen, date");
        if (!calibrations)
            return false;
        for (calibrations->bind(1, key); calibrations->next();)
            history.calibrations.push_back({calibrations->text(0), calibrations->text(1)});
        SqliteStatement* events = prepared(
            "SELECT time, node, place, operation, result, status, verification, firmware_before, firmware_after,"
            " result_document FROM events WHERE serial_key = ?1 ORDER BY time, id");
        if (!events)
            return false;
        for (events->bind(1, key); events->next();)
            history.events.push_back({events->text(0),
                                      events->text(1),
                                      events->text(2),
                                      events->text(3),
                                      events->number(4),
                                      events->text(5),
                                      events->text(6),
                                      events->text(7),
                                      events->text(8),
                                      events->text(9),
                                      {}});
        if (places->failed() || firmware->failed() || calibrations->failed() || events->failed())
            return failSql("cannot read");
        // As boards() picks it: the latest seen, of two seen last the one recorded last.
        for (const AssetPlace& place : history.places) {
            if (!history.board.placed || place.lastSeen >= history.board.lastPlace.lastSeen)
                history.board.lastPlace = place;
            history.board.placed = true;
        }
        return true;
    });
}

bool AssetRegister::boards(std::vector<AssetBoard>& boards)
{
    boards.clear();
    return inTransaction("BEGIN", [&] {
        SqliteStatement* list = prepared(
            "SELECT b.serial, b.model, b.first_seen, b.last_seen, p.system, p.enclosure, p.slot, p.first_seen,"
            " p.last_seen FROM boards b LEFT JOIN places p ON p.id = (SELECT id FROM places"
            " WHERE serial_key = b.serial_key ORDER BY last_seen DESC, id DESC LIMIT 1) ORDER BY b.serial_key");
        if (!list)
            return false;
        while (list->next()) {
            AssetBoard board{list->text(0), list->text(1), list->text(2), list->text(3), !list->text(8).empty(), {}};
            if (board.placed)
                board.lastPlace = {list->text(4),
                                   static_cast<std::int32_t>(list->number(5)),
                                   static_cast<std::uint32_t>(list->number(6)),
                                   list->text(7),
                                   list->text(8),
                                   {}};
            boards.push_back(std::move(board));
        }
        return !list->failed() || failSql("cannot read");
    });
}

} // namespace z2e
