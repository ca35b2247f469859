#pragma once
// The asset register: where each board (by serial number, in any case) has been, which firmware
// and calibration dates it was seen with, and what the maintenance journal says was done to it.
// An SQLite database "assets.sqlite" in the program's documents folder, beside the journal's
// folder "maintenance", from whose history.jsonl it can always be made again.
//
// The file is the program's own: a link, FIFO or folder at its place is refused and never
// followed. A file that is not a database, or fails SQLite's quick check, is moved aside as
// "assets.sqlite.damaged-<time>" and made again from the journal (said once in the log). A file
// of a newer schema is refused and left as it is. Times are UTC texts as
// MaintenanceJournal::utcNow() writes them, so that they sort as texts.
//
// One object is used by one thread at a time. Objects of the same file, in this process or in
// others (the window and zamo2ctl), work at once: a write waits for another's up to a few
// seconds. No function throws; each that fails returns false with lastError() in words.

#include "tools/asset_reader.h"
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/asset_record.h"

struct sqlite3;

namespace z2e {

class SqliteStatement;

/// A board found at a place when a system was read.
struct AssetSighting {
    std::string time; ///< empty: now
    std::string serial;
    std::string model;
    std::string system; ///< "local", or a node's address and name as the journal names nodes
    std::int32_t enclosure = -1;
    std::uint32_t slot = 0xFFFFFFFFu; ///< BoardIdentity::kUnknownSlot when unknown
    std::string firmware;             ///< empty: not read
    std::string calibrationDate;      ///< empty: not read
};

/// A place where a board stayed: a new one each time it turns up somewhere else.
struct AssetPlace {
    std::string system;
    std::int32_t enclosure = -1;
    std::uint32_t slot = 0xFFFFFFFFu;
    std::string firstSeen;
    std::string lastSeen;
    std::string computer; ///< of the site register: the computer that saw the board there first
};

struct AssetFirmware {
    std::string version;
    std::string firstSeen;
    std::string lastSeen;
};

struct AssetCalibration {
    std::string date;
    std::string firstSeen;
};

/// A line of the journal about the board.
struct AssetEvent {
    std::string time;
    std::string node;
    std::string place; ///< "E/S" as the tree names it; empty when the line does not say
    std::string operation;
    std::int64_t result = 0;
    std::string status; ///< the verdict or the status text
    std::string verification;
    std::string firmwareBefore;
    std::string firmwareAfter;
    std::string resultDocument; ///< as the history line names it ("results.log@<offset>")
    std::string computer;       ///< of the site register: the computer whose journal says it
};

/// A board with its latest place.
struct AssetBoard {
    std::string serial; ///< as first seen
    std::string model;  ///< as last seen
    std::string firstSeen;
    std::string lastSeen;
    bool placed = false; ///< whether lastPlace is known
    AssetPlace lastPlace;
};

/// Everything known of one board, each list oldest first.
struct AssetHistory {
    bool found = false;
    AssetBoard board;
    std::vector<AssetPlace> places;
    std::vector<AssetFirmware> firmware;
    std::vector<AssetCalibration> calibrations;
    std::vector<AssetEvent> events;
};

/// What the last rebuild read.
struct AssetRebuild {
    std::size_t lines = 0;   ///< journal lines read
    std::size_t damaged = 0; ///< damaged journal lines skipped
};

class AssetRegister : public AssetReader {
public:
    /// The schema this program writes (PRAGMA user_version).
    static constexpr int kSchema = 3;
    static constexpr const char* kFileName = "assets.sqlite";

    /// The register of the documents folder `folder`, opened by open().
    explicit AssetRegister(std::string folder);
    ~AssetRegister() override;
    AssetRegister(const AssetRegister&) = delete;
    AssetRegister& operator=(const AssetRegister&) = delete;

    /// The program's documents folder, where MaintenanceJournal::defaultFolder() lies too.
    static std::string defaultFolder();
    /// The documents folder of the journal folder `maintenanceFolder` (its parent).
    static std::string folderOfJournal(const std::string& maintenanceFolder);

    /// Opens the file, made from "<folder>/maintenance/history.jsonl" when missing or damaged,
    /// and brings an older schema up to date in one transaction; then records the journal's
    /// lines appended since the register last read it (a register that cannot is logged and
    /// still used). False with lastError() set.
    bool open();
    bool isOpen() const { return m_db != nullptr; }
    /// The file, its folder's links resolved once opened.
    const std::string& path() const { return m_path; }
    /// What open() had to do beyond opening (a damaged file moved aside) or could not do (bring
    /// the register up to the journal); empty otherwise.
    const std::string& notice() const { return m_notice; }

    /// The boards of one read of a system, in one transaction. Sightings without a serial are
    /// skipped.
    bool recordSightings(const std::vector<AssetSighting>& sightings);
    /// History lines as the journal writes them, in one transaction. A line recorded before
    /// changes nothing; lines of enclosures and lines without a serial are skipped.
    bool recordJournalLines(const std::vector<std::string>& lines);

    bool history(const std::string& serial, AssetHistory& history) override;
    bool boards(std::vector<AssetBoard>& boards) override;

    /// At most `most` records not yet uploaded to `site` (a server's name without credentials),
    /// oldest first.
    bool pendingRecords(const std::string& site, std::size_t most, std::vector<AssetRecord>& records);
    /// Records up to `lastId` have reached `site`; a mark never goes back.
    bool markUploaded(const std::string& site, std::int64_t lastId);

    /// Makes the register anew from `maintenanceFolder`'s history.jsonl in a new file, which
    /// then takes the register's place. Opens the register first when it is not.
    bool rebuild(const std::string& maintenanceFolder);
    const AssetRebuild& lastRebuild() const { return m_rebuild; }

    const std::string& lastError() const override { return m_error; }

private:
    enum class Opened { Ok, Damaged, Failed };

    void close();
    bool fail(const std::string& message);
    /// fail() with SQLite's words for the connection's last error.
    bool failSql(const std::string& what);
    bool exec(const char* sql);
    /// The cached statement of `sql`, reset; null with lastError() set.
    SqliteStatement* prepared(const std::string& sql);
    bool inTransaction(const char* begin, const std::function<bool()>& work);
    /// The first column of the first row of `sql`; false when there is none.
    bool single(const char* sql, std::string& value);
    bool readSchema(std::int32_t& schema);

    bool refuseNonFiles();
    Opened connect();
    Opened checked();
    bool migrate();
    bool toWal();
    /// Makes the file from the journal when none is there (another program may be first).
    bool create();
    /// Moves the damaged file and its WAL files aside.
    bool moveAside(const std::string& reason);
    /// Fills a new file at `path` from the journal of `maintenanceFolder`, and closes it.
    bool build(const std::string& path, const std::string& maintenanceFolder);
    bool replay(const std::string& maintenanceFolder);
    /// Records the journal lines of `maintenanceFolder` appended since the last read.
    bool catchUp(const std::string& maintenanceFolder);
    /// open() without the catch-up.
    bool openFile();
    /// Records the journal's lines, all of them or those after the mark, and sets the mark.
    bool readJournal(const std::string& maintenanceFolder, bool fromMark);
    /// Copies the whole database `path` into the open register under SQLite's locks, so that
    /// other programs' connections stay valid (a file renamed over an open WAL database is not).
    bool copyFrom(const std::string& path);

    bool recordLine(const std::string& line);
    bool recordSighting(const AssetSighting& sighting);
    bool keepRecord(const AssetRecord& record);
    bool recordBoard(const std::string& key, const std::string& serial, const std::string& model,
                     const std::string& time);
    /// A place or firmware version at `time`: the stay beside it in time is stretched when it
    /// is the same, else a new one begins. `bindWhat` binds what is stayed at from index 3.
    struct Stays;
    bool recordStay(const Stays& stays, const std::string& key, const std::string& time,
                    const std::function<void(SqliteStatement&)>& bindWhat);
    bool recordPlace(const std::string& key, const std::string& system, std::int64_t enclosure, std::int64_t slot,
                     const std::string& time);
    bool recordFirmware(const std::string& key, const std::string& version, const std::string& time);

    std::string m_folder;
    std::string m_realFolder; ///< m_folder without links, as SQLite wants it; set by open()
    std::string m_path;
    sqlite3* m_db = nullptr;
    std::map<std::string, std::unique_ptr<SqliteStatement>> m_statements;
    std::string m_notice;
    AssetRebuild m_rebuild;
    std::string m_error;
};

} // namespace z2e
