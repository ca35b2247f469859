#pragma once
// What the two firmware update dialogs share: the journal they hand to the updater, the
// six-column table, the progress window driven from the updater's reports, and the words of
// the final message.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/firmware_updater.h"
#include "tools/tool_progress.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QTableWidget;

namespace z2e {

class CInProgress;
class MaintenanceJournal;

/// The journal of `target`, or null when it names no journal folder.
std::unique_ptr<MaintenanceJournal> journalFor(const ToolTarget& target);

/// Gives `table` the columns "Board", "Installed", "Latest", "Status", "Result", "Info".
void setupFirmwareTable(QTableWidget* table);
/// One row per firmware row, read-only, then the columns fitted to their contents. A row not
/// run yet shows its planned action in "Info" ("Will go back to the release: 0300 → 02F4").
void showFirmwareRows(QTableWidget* table, const std::vector<FirmwareRow>& rows);
/// Row `at` of `table` shows `row` (the table has the row already).
void showFirmwareRow(QTableWidget* table, int at, const FirmwareRow& row);

/// Drives `progress` from a worker: a board's text restarts the timed bar with the board's
/// expected duration; the final report stops it.
ToolProgress timedProgress(CInProgress& progress);

/// The final message of a run: the overall status text, or the status and why the updater
/// stopped early.
QString firmwareOutcomeText(std::int32_t status, const FirmwareUpdater& updater);

} // namespace z2e
