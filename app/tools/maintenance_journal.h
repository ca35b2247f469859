#pragma once
// The maintenance journal of a documents folder: EEPROM snapshots taken before a board is
// changed, the result documents of tests and calibrations, and history.jsonl with one line per
// board and procedure. Everything lives below "<documents folder>/maintenance"; snapshots in a
// folder per board serial number, an enclosure's snapshots in "enclosure_<serial>", result
// documents appended to results.log (a procedure's in one write and one sync: making a file
// per board, and syncing them, cost a self test of many boards more than the boards' work).
//
// Snapshots are written whole (temporary file + rename); the history lines of a procedure are
// appended with one write and synced, and a write that does not complete is cut back to its
// last whole line, so a reader never sees half a line. Snapshots are new files, never written
// through a symbolic link (neither a board folder nor a file planted as one is followed) and
// never over an existing file: two of the same board, operation and millisecond (also of two
// processes) get names apart ("<time>-2_..."). Their temporary files never stay
// (TemporaryFile).
//
// The asset register beside the journal's folder (AssetRegister) reads the lines appended here
// when it is next opened: a tool never waits for it.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_identity.h"
#include "tools/helper_thread.h"

#include <cstdint>
#include <map>
#include <memory>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace z2e {

class TemporaryFile;

struct JournalEntry {
    /// A board's line: who the board is and where it sits, for `operation`.
    static JournalEntry forBoard(const BoardIdentity& board, std::string operation, std::string parameters);

    std::string time; ///< UTC, ISO 8601; filled by append() when empty
    /// An enclosure's line: its index; the line then names no board and no slot.
    std::int32_t enclosure = -1;
    std::uint32_t board = 0;
    std::uint32_t slot = BoardIdentity::kUnknownSlot;
    std::int32_t boardEnclosure = -1; ///< the enclosure the board sits in; -1 unknown
    std::string model;
    std::string serial;
    std::string operation;
    std::string parameters;
    std::string firmwareBefore; ///< empty where it does not apply
    std::string firmwareAfter;
    std::int32_t result = 0;
    std::string statusText;
    /// After a write: "verified", or the first difference the read-back found; empty where
    /// nothing was written or read back.
    std::string verification;
    std::vector<std::string> snapshots;
    std::string resultDocument;
    double durationSeconds = 0;
};

/// The readable lines of the history and how many damaged ones were skipped.
struct JournalHistory {
    std::vector<std::string> lines;
    std::size_t damaged = 0;
    /// Why the history could not be read at all; "" when it was, or is not there yet.
    std::string error;
};

class MaintenanceJournal {
public:
    /// `maintenanceFolder` is ".../maintenance"; `node` is "local" or the node's address and
    /// name as the journal shows them.
    MaintenanceJournal(std::string maintenanceFolder, std::string node);
    ~MaintenanceJournal();
    MaintenanceJournal(const MaintenanceJournal&) = delete;
    MaintenanceJournal& operator=(const MaintenanceJournal&) = delete;

    /// "<documents folder>/maintenance" of this machine.
    static std::string defaultFolder();
    /// How the journal names the node of `wrapper`: "local", or its address and name.
    static std::string nodeOf(const QorinNodeUtilWrapper& wrapper);

    const std::string& folder() const { return m_folder; }
    /// Snapshots may be switched off; the history is still written.
    void setSnapshotsEnabled(bool enabled) { m_snapshots = enabled; }
    bool snapshotsEnabled() const { return m_snapshots; }

    /// Saves the base and connector EEPROM documents of `board` as they are now. Returns 0,
    /// the status 4009 with lastError() set when a document cannot be read or written (no
    /// file is left then), or 0 without files while snapshots are off. An EEPROM that cannot
    /// be read is named with the board's model and serial, and unreadableHint() follows.
    std::int32_t snapshot(QorinNodeUtilWrapper& wrapper, const BoardIdentity& board, const std::string& operation,
                          std::vector<std::string>& files);
    /// Saves the description of enclosure `enclosure` (its data and option values) as it is
    /// now, in the folder of `serial`. Results as snapshot().
    std::int32_t snapshotEnclosure(QorinNodeUtilWrapper& wrapper, std::uint32_t enclosure, const std::string& serial,
                                   const std::string& operation, std::vector<std::string>& files);
    /// A result document to keep, and where keepResults() put it.
    struct KeptResult {
        std::string serial;
        const std::string* document = nullptr;
        /// "results.log@<offset>" as history lines name it; filled by keepResults().
        std::string* reference = nullptr;
    };
    /// The file the result documents of every procedure are appended to.
    static constexpr const char* kResultsFile = "results.log";
    /// Appends the result documents of one procedure to results.log in one write, each after
    /// a header line of its own; they are synced with the next append of history lines. False
    /// with lastError() set, the file then as it was. A link, FIFO or folder at its place is
    /// refused.
    bool keepResults(const std::string& operation, const std::vector<KeptResult>& results);
    /// Appends one history line; false with lastError() set, the history then unchanged.
    bool append(JournalEntry entry);
    /// Appends the lines of a whole procedure in one write and syncs once. On a failure the whole lines written stay
    /// and the history ends with a whole line.
    bool append(std::vector<JournalEntry> entries);
    /// Appends history lines made by line() (of this or another journal of the folder) in one
    /// write, and syncs once; as append(entries).
    bool appendLines(const std::vector<std::string>& lines);
    /// The history lines, oldest first; only those of `serial` (in any case) when it is not
    /// empty. Damaged lines are skipped.
    std::vector<std::string> history(const std::string& serial) const;
    /// history() with the count of the damaged lines skipped; memory stays bounded however
    /// the file was damaged.
    JournalHistory read(const std::string& serial) const;
    /// The same lines handed to `visit` one by one as they are read, none kept: a history of
    /// years costs no more memory than its longest line. The result holds no lines.
    JournalHistory visit(const std::string& serial, const std::function<void(const std::string&)>& visit) const;
    /// The result of the last `operation` on the board `serial` on this journal's node;
    /// false when there is none.
    bool lastResult(const std::string& serial, const std::string& operation, std::int32_t& result) const;
    /// The result of the last `operation` on this journal's node of every board, by upper-case
    /// serial; one read of the history for a run over many boards.
    std::map<std::string, std::int32_t> lastResults(const std::string& operation) const;
    /// A serial as lastResults() keys it: serials match in any case.
    static std::string serialKey(std::string serial);
    /// The snapshot files a history line names, as paths in the board's folder of this journal.
    std::vector<std::string> snapshotFiles(const std::string& line) const;
    /// The first `most` bytes of the result document a history line names (appended to
    /// results.log, or a file in its board's folder as older lines name them); "" when the
    /// line names none or it cannot be read as a plain file of the journal's own.
    std::string resultDocument(const std::string& line, std::size_t most) const;
    /// The value of `key` in a history line: a text unescaped, a number as written; empty
    /// when the line has no such key.
    static std::string field(const std::string& line, const std::string& key);
    /// The history line of `entry`, without a line end.
    std::string line(const JournalEntry& entry) const;

    const std::string& lastError() const { return m_error; }
    /// The words after an unreadable EEPROM in lastError(): how to change the board anyway on
    /// the command line (--no-snapshot) and by the setting. The window asks instead.
    static const char* unreadableHint();

    /// UTC now as "YYYY-MM-DDTHH:MM:SS.mmmZ".
    static std::string utcNow();
    /// Tests: the time the file names start with ("YYYY-MM-DDTHH-MM-SS.mmmZ") comes from
    /// `clock` instead of the system clock (an empty function: the system clock again).
    void setFileClock(std::function<std::string()> clock) { m_fileClock = std::move(clock); }

private:
    std::string stamp() const;
    bool fail(const std::string& message);
    /// Writes each of `parts` (a name's end and its content) as a new file
    /// "<time>[-n]_<operation>_<end>" in the journal's folder `folderName`; `files` gets their
    /// paths. False with lastError() set; no file is left then.
    bool writeFile(const std::string& folderName, const std::string& operation,
                   const std::vector<std::pair<std::string, const std::string*>>& parts, bool sync,
                   std::vector<std::string>& files);
    /// writeFile() in the open folder `fd`, with the temporary files `temps` (those missing
    /// are made); the caller removes the unplaced ones while `fd` is open.
    bool placeFiles(int fd, const std::string& folderName, const std::string& operation,
                    const std::vector<std::pair<std::string, const std::string*>>& parts,
                    std::vector<std::unique_ptr<TemporaryFile>>& temps, bool sync, std::vector<std::string>& files);
    /// The journal's folder `folderName` opened (made when missing), never through a link; -1
    /// with lastError() set.
    int openOwnFolder(const std::string& folderName);
    /// openOwnFolder() in `maintenance` (which exists), for any thread: -1 with `error` set.
    static int openFolderIn(const std::string& maintenance, const std::string& folderName, std::string& error);
    bool folderExists(const std::string& folder);
    /// `path` opened with `flags` as a plain file of the journal's own (no link followed, no
    /// FIFO waited on); -1 with `error` set.
    static int openOwnFile(const std::string& path, int flags, std::string& error);
    /// Up to `most` bytes of the file at `path` from `offset`, opened by openOwnFile(); "" when
    /// it cannot be read.
    static std::string readOwnFile(const std::string& path, std::uint64_t offset, std::size_t most);
    /// Takes `fd`'s lock, waiting at most kLockWaitMs for another program's append; false with
    /// lastError() set.
    bool lockOwnFile(int fd, const std::string& path);
    /// Ends a line torn by a crash, so that the next record starts on a line of its own.
    bool endTornLine(int fd, const std::string& path);
    /// Syncs results.log after keepResults(); false with lastError() set.
    bool syncResults();
    /// Syncs results.log on `thread`, leaving `error` empty or saying why it could not; false
    /// when no thread can be had.
    bool startResultsSync(HelperThread& thread, std::string& error) const;

    std::string m_folder;
    std::string m_node;
    std::string m_user;
    std::string m_host;
    bool m_snapshots = true;
    std::set<std::string> m_folders; ///< folders known to exist
    bool m_unsynced = false;         ///< result documents kept since the last sync
    std::function<std::string()> m_fileClock;
    std::string m_error;
};

} // namespace z2e
