#pragma once
// Firmware update of boards through the driver: the check of each board, the update of every
// board to the latest release (or back to it when the installed one is newer), the retry of the
// failed rows, and the update of one board with a chosen release or file. Boards are journalled
// like every change: EEPROM snapshots first, one history line afterwards.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_identity.h"
#include "tools/tool_progress.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;

/// One row of the firmware table; the six columns are board, installed, latest, status,
/// result and info.
struct FirmwareRow {
    BoardIdentity board;
    std::int32_t checkResult = 0; ///< the driver's answer to the check (warnings included)
    std::string installed;        ///< empty when the check has none
    std::string latest;
    std::string fileName;         ///< file of the latest release
    std::string status;           ///< the check's status text
    std::string result;           ///< "", "Skipped", "Updating...", "OK" or "Error!"
    std::string info;             ///< firmware result text of the driver's answer
    std::int32_t outcome = 0;     ///< 0 before any run, then 3000, 3001 or 3002
    std::int32_t answer = 0;      ///< the driver's answer to the last update
    std::vector<std::string> snapshots;

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

    /// Updates every row, or with `retryFailedOnly` the rows whose last outcome was 3002.
    /// 3002 if a row failed, else 3000 if one was updated, else 3001; a stopping failure
    /// (snapshot, journal, cancel) is returned instead.
    std::int32_t update(std::vector<FirmwareRow>& rows, bool retryFailedOnly, const ToolProgress& progress,
                        const std::atomic<bool>& cancel);
    /// Updates one board with `selection` (a listed file name, a version or a file path):
    /// 3000 or 3002, or a stopping failure. An empty selection does nothing and answers 3001.
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
    /// The firmware result code of a driver answer (0, 1 or 3003..3007).
    static std::int32_t infoCode(std::int32_t answer);
    /// The text of infoCode(answer); empty for 0.
    static std::string infoText(std::int32_t answer);
    /// Seconds one update is expected to take for a board of this name.
    static double expectedSeconds(const std::string& boardName);
    /// The overall status text of 3000, 3001 or 3002.
    static std::string statusText(std::int32_t outcome);

    /// Marks as failed (outcome 3002) the rows whose board's last firmware update on the
    /// journal's node did not end updated or skipped (it failed, was interrupted or could not
    /// start), so that a retry of another run or window finds them; the count of such rows.
    static std::size_t markFailedFromJournal(std::vector<FirmwareRow>& rows, const MaintenanceJournal& journal);

    /// Why the last run stopped early, when it did.
    const std::string& message() const { return m_message; }
    /// The last run stopped because the journal line of a board that was updated could not
    /// be written: the update itself was made.
    bool updatedWithoutJournal() const { return m_updatedWithoutJournal; }

private:
    std::int32_t send(FirmwareRow& row, const std::string& selection, const std::string& parameters);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    std::string m_message;
    bool m_updatedWithoutJournal = false;
};

} // namespace z2e
