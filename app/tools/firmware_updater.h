#pragma once
// Firmware update of boards through the driver: the check of each board, the plan made from it
// (update, go back to the release when the installed one is newer unless newer firmware is kept,
// or skip and why), the update of every board to the latest release, the retry of the failed
// rows, and the update of one board with a chosen release or file. Every outcome names the
// versions. Boards are journalled like every change: EEPROM snapshots first, one history line
// afterwards.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_identity.h"
#include "tools/tool_progress.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;

/// What an update does with a board, decided from its check before anything is sent.
enum class FirmwarePlan {
    None,      ///< not decided yet
    Update,    ///< older than the release: the release is installed
    GoBack,    ///< newer than the release: the board goes back to the release
    Current,   ///< skipped: the release is installed already
    KeepNewer, ///< skipped: newer than the release and kept, as asked
    Unknown,   ///< skipped: a version is missing or is no version
};

/// One row of the firmware table; the six columns are board, installed, latest, status,
/// result and info.
struct FirmwareRow {
    BoardIdentity board;
    std::int32_t checkResult = 0; ///< the driver's answer to the check (warnings included)
    std::string installed;        ///< empty when the check has none
    std::string latest;
    std::string fileName;     ///< file of the latest release
    std::string status;       ///< the check's status text
    std::string result;       ///< "", "Skipped", "Updating...", "OK" or "Error!"
    std::string info;         ///< what the run did, with the versions ("0251 → 0254 updated")
    std::int32_t outcome = 0; ///< 0 before any run, then 3000, 3001 or 3002
    std::int32_t answer = 0;  ///< the driver's answer to the last update
    std::vector<std::string> snapshots;
    FirmwarePlan plan = FirmwarePlan::None;
    std::string before; ///< the installed version the plan was made for
    std::string target; ///< the version the update aims at
    /// Why the last run sent nothing to this board: its EEPROMs could not be saved first
    /// (the journal's words); empty otherwise.
    std::string snapshotProblem;

    static std::string shown(const std::string& version) { return version.empty() ? "Unknown" : version; }
};

class FirmwareUpdater {
public:
    /// `journal` may be null: then nothing is snapshotted or journalled.
    FirmwareUpdater(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// A row per board of `boards` (every board when empty) with its check filled.
    std::int32_t check(const std::vector<std::uint32_t>& boards, std::vector<FirmwareRow>& rows);
    /// Re-reads one row's check.
    void checkRow(FirmwareRow& row);

    /// A board with firmware newer than the release keeps it (skipped) instead of going back.
    void setKeepNewer(bool keep) { m_keepNewer = keep; }
    bool keepNewer() const { return m_keepNewer; }

    /// Plans every row from its check, as update() would (nothing is sent).
    void plan(std::vector<FirmwareRow>& rows) const;

    /// Called from update() with a row's index and the row each time the row changes: when
    /// its board starts ("Updating...") and when it is done. On the thread that runs update().
    using RowObserver = std::function<void(std::size_t index, const FirmwareRow& row)>;
    void observeRows(RowObserver observer) { m_observer = std::move(observer); }

    /// Updates every row, or with `retryFailedOnly` the rows whose last outcome was 3002.
    /// 3002 if a row failed, else 3000 if one was updated, else 3001; a stopping failure
    /// (cancel, a change record that cannot be written) is returned instead. A board whose
    /// EEPROMs cannot be saved first is not sent anything: its row fails with snapshotProblem
    /// set, and the others go on. A journal line that cannot be written after a board's update
    /// does not stop the others either: the run ends with 4102 and message() names every
    /// board whose line is missing.
    std::int32_t update(std::vector<FirmwareRow>& rows, bool retryFailedOnly, const ToolProgress& progress,
                        const std::atomic<bool>& cancel);
    /// Updates one board with `selection` (a listed file name, a version or a file path):
    /// 3000 or 3002, or a stopping failure (4009 when the board's EEPROMs cannot be saved
    /// first, nothing sent). An empty selection does nothing and answers 3001.
    std::int32_t updateWith(FirmwareRow& row, const std::string& selection, const ToolProgress& progress);
    /// The file name of the latest release for the board ("Auto"); the check's result.
    std::int32_t autoSelection(std::uint32_t board, std::string& fileName);
    /// The file names of the driver's firmware listing, in its order.
    std::int32_t listing(std::vector<std::string>& fileNames);

    /// Fills the row's installed, latest, file name and status from a check document; a
    /// document that does not parse leaves them empty.
    static void readCheck(const std::string& document, FirmwareRow& row);
    /// The file names of a listing document, in its order; false when it does not parse.
    static bool readListing(const std::string& document, std::vector<std::string>& fileNames);

    /// What the update sends for these versions: false to skip; otherwise `selection` is the
    /// empty text (install the latest) or the latest version (go back to it).
    static bool decide(const std::string& installed, const std::string& latest, bool force, std::string& selection);
    /// The plan for these versions: Update or GoBack, or why the board is skipped. A newer
    /// firmware goes back to the release unless `keepNewer`.
    static FirmwarePlan planOf(const std::string& installed, const std::string& latest, bool keepNewer);
    /// Sets the row's plan, before and target from its installed and latest versions.
    static void plan(FirmwareRow& row, bool keepNewer);
    /// The planned action as the tables show it before a run: "Will update: 0251 → 0254",
    /// "Will go back to the release: 0300 → 02F4", "Will skip: ...".
    static std::string planText(const FirmwareRow& row);
    /// The plan's word for scripts: "update", "back-to-release", "skip"; empty for None.
    static const char* planName(FirmwarePlan plan);
    /// Why a skipped row is skipped, with the versions ("0254 is the release already").
    static std::string skipReason(const FirmwareRow& row);
    /// "0251 → 0254" ("Unknown" for a missing version).
    static std::string versions(const std::string& from, const std::string& to);

    /// The firmware result code of a driver answer (0, 1 or 3003..3007).
    static std::int32_t infoCode(std::int32_t answer);
    /// The text of infoCode(answer); empty for 0.
    static std::string infoText(std::int32_t answer);
    /// The text of a firmware result code (1 or 3003..3007); empty for any other.
    static std::string infoCodeText(std::int32_t code);
    /// Seconds one update is expected to take for a board of this name.
    static double expectedSeconds(const std::string& boardName);
    /// The overall status text of 3000, 3001 or 3002.
    static std::string statusText(std::int32_t outcome);

    /// Marks as failed (outcome 3002) the rows whose board's last firmware update on the
    /// journal's node did not end updated or skipped (it failed, was interrupted or could not
    /// start), so that a retry of another run or window finds them; the count of such rows.
    static std::size_t markFailedFromJournal(std::vector<FirmwareRow>& rows, const MaintenanceJournal& journal);

    /// Why the last run stopped early, or which journal lines it could not write.
    const std::string& message() const { return m_message; }
    /// The last run could not write the journal line of a board that was updated: the update
    /// itself was made.
    bool updatedWithoutJournal() const { return m_updatedWithoutJournal; }

private:
    std::int32_t send(FirmwareRow& row, const std::string& selection, const std::string& parameters);
    /// The row's update, or its skip, journalled; 4102 also for a journal line lost after it.
    std::int32_t updateRow(std::size_t index, FirmwareRow& row);
    void changed(std::size_t index, const FirmwareRow& row) const;

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    bool m_keepNewer = false;
    std::string m_message;
    bool m_updatedWithoutJournal = false;
    bool m_lineLost = false; ///< send() made its change but could not journal it
    RowObserver m_observer;
};

} // namespace z2e
