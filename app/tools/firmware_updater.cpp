#include "tools/firmware_updater.h"

#include "core/application_status.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/board_selection.h"
#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"
#include "uni/number_text.h"
#include "uni/osal.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <chrono>

namespace z2e {

namespace {

// A node that went away mid-update is not "an internal error": the row names what happened.
bool networkFailure(std::int32_t answer)
{
    return (answer >= uni::osal::ERR_UNI_OSAL_BASE && answer <= uni::osal::ERR_UNI_OSAL_ECOMMAND) ||
           answer == uni::osal::ERR_UNI_OSAL_ECOMMAND + 1;
}

// The board families whose firmware is small enough to load in about 30 seconds: the counter,
// digital and CAN/UART boards without calibration tables.
const char* const kQuickModels[] = {"QC-3104",     "QC-3108",      "QD-5032",      "QD-5064-ISO",
                                    "QN-6204-CAN", "QN-6202-UART", "QN-6222-COMBO"};

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The journal's record of a row, before the update's outcome is known.
JournalEntry entryOf(const FirmwareRow& row, const std::string& parameters)
{
    JournalEntry entry = JournalEntry::forBoard(row.board, "firmware-update", parameters);
    entry.firmwareBefore = row.installed;
    return entry;
}

// What the check after an update found against what was sent: empty when it reports the
// version wanted (a file's version is not known: then only the check itself must answer).
std::string readBackDifference(const FirmwareRow& row, const std::string& wanted)
{
    if (row.checkResult >= 1)
        return "updated, but the installed version could not be read back (" + std::to_string(row.checkResult) + ")";
    std::uint32_t version = 0;
    if (wanted.empty() || !uni::text::parseHex32(wanted, version) || row.installed == wanted)
        return {};
    return "read-back: the board reports " + FirmwareRow::shown(row.installed) + ", not " + wanted;
}

} // namespace

FirmwareUpdater::FirmwareUpdater(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

std::int32_t FirmwareUpdater::check(const std::vector<std::uint32_t>& boards, std::vector<FirmwareRow>& rows)
{
    rows.clear();
    if (!m_wrapper.isReady())
        return AppStatus::NotReady;
    const std::uint32_t count = m_wrapper.getBoardCount();
    std::vector<std::uint32_t> chosen;
    if (!BoardSelection::choose(boards, count, chosen, m_message))
        return AppStatus::NoSuchBoard;
    for (const std::uint32_t board : chosen) {
        FirmwareRow row;
        row.board = BoardIdentity::read(m_wrapper, board);
        checkRow(row);
        rows.push_back(row);
    }
    return AppStatus::Ok;
}

void FirmwareUpdater::checkRow(FirmwareRow& row)
{
    std::string document;
    row.checkResult = m_wrapper.getFirmwareCheck(row.board.index, document);
    readCheck(row.checkResult >= 1 ? std::string() : document, row);
}

void FirmwareUpdater::readCheck(const std::string& document, FirmwareRow& row)
{
    row.installed.clear();
    row.latest.clear();
    row.fileName.clear();
    row.status.clear();
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, document))
        return;
    const pugi::xml_node check = xml.document_element();
    row.installed = check.child_value("InstalledVersion");
    row.latest = check.child_value("LatestVersion");
    row.fileName = check.child_value("FileName");
    row.status = check.child_value("StatusText");
}

bool FirmwareUpdater::decide(const std::string& installed, const std::string& latest, bool force,
                             std::string& selection)
{
    selection.clear();
    const FirmwarePlan plan = planOf(installed, latest, !force);
    if (plan == FirmwarePlan::GoBack)
        selection = latest;
    return plan == FirmwarePlan::Update || plan == FirmwarePlan::GoBack;
}

FirmwarePlan FirmwareUpdater::planOf(const std::string& installed, const std::string& latest, bool keepNewer)
{
    std::uint32_t have = 0;
    std::uint32_t want = 0;
    if (installed.empty() || latest.empty() || !uni::text::parseHex32(installed, have) ||
        !uni::text::parseHex32(latest, want))
        return FirmwarePlan::Unknown;
    if (have == want)
        return FirmwarePlan::Current;
    if (have < want)
        return FirmwarePlan::Update;
    return keepNewer ? FirmwarePlan::KeepNewer : FirmwarePlan::GoBack;
}

void FirmwareUpdater::plan(FirmwareRow& row, bool keepNewer)
{
    row.plan = planOf(row.installed, row.latest, keepNewer);
    row.before = row.installed;
    row.target = row.latest;
}

void FirmwareUpdater::plan(std::vector<FirmwareRow>& rows) const
{
    for (FirmwareRow& row : rows)
        plan(row, m_keepNewer);
}

std::string FirmwareUpdater::versions(const std::string& from, const std::string& to)
{
    return FirmwareRow::shown(from) + " \u2192 " + FirmwareRow::shown(to);
}

std::string FirmwareUpdater::skipReason(const FirmwareRow& row)
{
    switch (row.plan) {
    case FirmwarePlan::Current: return row.before + " is the release already";
    case FirmwarePlan::KeepNewer: return row.before + " is newer than the release " + row.target + ": kept";
    case FirmwarePlan::Unknown: break;
    default: return "";
    }
    if (row.before.empty())
        return "installed version unknown" + (row.target.empty() ? std::string() : "; the release is " + row.target);
    if (row.target.empty())
        return "no release known; " + row.before + " installed";
    std::uint32_t version = 0;
    if (!uni::text::parseHex32(row.before, version))
        return "the installed '" + row.before + "' is no version; the release is " + row.target;
    return "the release '" + row.target + "' is no version; " + row.before + " installed";
}

std::string FirmwareUpdater::planText(const FirmwareRow& row)
{
    switch (row.plan) {
    case FirmwarePlan::None: return "";
    case FirmwarePlan::Update: return "Will update: " + versions(row.before, row.target);
    case FirmwarePlan::GoBack: return "Will go back to the release: " + versions(row.before, row.target);
    default: return "Will skip: " + skipReason(row);
    }
}

const char* FirmwareUpdater::planName(FirmwarePlan plan)
{
    switch (plan) {
    case FirmwarePlan::None: return "";
    case FirmwarePlan::Update: return "update";
    case FirmwarePlan::GoBack: return "back-to-release";
    default: return "skip";
    }
}

std::int32_t FirmwareUpdater::infoCode(std::int32_t answer)
{
    switch (answer) {
    case 0: return 0;
    case 260003: return 3005;
    case 260009: return 3003;
    case 260010:
    case -260002: return 3004;
    case -260005: return 3006;
    case -260006: return 3007;
    default: return 1;
    }
}

std::string FirmwareUpdater::infoText(std::int32_t answer)
{
    return infoCodeText(infoCode(answer));
}

std::string FirmwareUpdater::infoCodeText(std::int32_t code)
{
    switch (code) {
    case 3003: return "Error parsing firmware listing XML.";
    case 3004: return "Firmware file not found!";
    case 3005: return "Accessing firmware file failed.";
    case 3006: return "Unknown board model.";
    case 3007: return "Selected firmware revision not found.";
    case 1: return "An internal error occurred.";
    default: return "";
    }
}

double FirmwareUpdater::expectedSeconds(const std::string& boardName)
{
    for (const char* model : kQuickModels) {
        if (boardName.find(model) != std::string::npos)
            return 30.0;
    }
    return 120.0;
}

std::string FirmwareUpdater::statusText(std::int32_t outcome)
{
    if (outcome < AppStatus::FirmwareUpdated || outcome > AppStatus::FirmwareUpdateFailed)
        return "";
    return statusMessage(outcome);
}

std::int32_t FirmwareUpdater::update(std::vector<FirmwareRow>& rows, bool retryFailedOnly, const ToolProgress& progress,
                                     const std::atomic<bool>& cancel)
{
    m_message.clear();
    m_updatedWithoutJournal = false;
    std::string lostLines;
    bool updatedWithoutJournal = false;
    bool failed = false;
    bool updated = false;
    const std::size_t total = rows.size();
    for (std::size_t i = 0; i < total; ++i) {
        FirmwareRow& row = rows[i];
        if (retryFailedOnly && row.outcome != AppStatus::FirmwareUpdateFailed)
            continue;
        if (cancel.load()) {
            m_message = "cancelled";
            return AppStatus::Cancelled;
        }
        if (progress)
            progress(" Updating Board " + std::to_string(i + 1) + "/" + std::to_string(total),
                     static_cast<double>(i) / static_cast<double>(total), expectedSeconds(row.board.name));
        std::int32_t outcome = updateRow(i, row);
        if (outcome == AppStatus::JournalFailed && m_lineLost) {
            // The board's own result stands; the missing line is told at the end.
            lostLines += (lostLines.empty() ? "" : "; ") + m_message;
            updatedWithoutJournal = updatedWithoutJournal || m_updatedWithoutJournal;
            outcome = row.outcome;
        }
        changed(i, row);
        if (outcome != AppStatus::FirmwareUpdated && outcome != AppStatus::FirmwareSkipped &&
            outcome != AppStatus::FirmwareUpdateFailed)
            return outcome;
        failed = failed || outcome == AppStatus::FirmwareUpdateFailed;
        updated = updated || outcome == AppStatus::FirmwareUpdated;
    }
    if (progress)
        progress("", 1.0, 0.0);
    if (!lostLines.empty()) {
        m_message = lostLines;
        m_updatedWithoutJournal = updatedWithoutJournal;
        return AppStatus::JournalFailed;
    }
    if (failed)
        return AppStatus::FirmwareUpdateFailed;
    return updated ? AppStatus::FirmwareUpdated : AppStatus::FirmwareSkipped;
}

std::int32_t FirmwareUpdater::updateRow(std::size_t index, FirmwareRow& row)
{
    m_lineLost = false;
    checkRow(row);
    plan(row, m_keepNewer);
    if (row.plan == FirmwarePlan::Update || row.plan == FirmwarePlan::GoBack) {
        row.result = "Updating...";
        changed(index, row);
        const std::string selection = row.plan == FirmwarePlan::GoBack ? row.target : std::string();
        const std::int32_t outcome = send(row, selection, selection.empty() ? "latest" : "back to " + selection);
        // One board whose EEPROM cannot be saved first must not hold back the others.
        return outcome == AppStatus::SnapshotFailed ? AppStatus::FirmwareUpdateFailed : outcome;
    }
    // A check that failed (a node gone mid-run) says nothing of the version: that is no skip.
    const bool unchecked = row.checkResult >= 1;
    row.result = unchecked ? "Error!" : "Skipped";
    row.info = unchecked ? "not checked: " + statusWords(row.checkResult, &m_wrapper) : skipReason(row);
    row.outcome = unchecked ? AppStatus::FirmwareUpdateFailed : AppStatus::FirmwareSkipped;
    row.snapshots.clear();
    row.snapshotProblem.clear();
    if (!m_journal)
        return row.outcome;
    JournalEntry entry = entryOf(row, m_keepNewer ? "latest, keep newer" : "latest");
    entry.firmwareAfter = row.installed;
    entry.result = row.outcome;
    entry.statusText = row.result + ": " + row.info;
    if (m_journal->append(entry))
        return row.outcome;
    m_message = row.board.label() + (unchecked ? ": not checked" : ": skipped") +
                ", but its journal line could not be written: " + m_journal->lastError();
    m_lineLost = true;
    return AppStatus::JournalFailed;
}

void FirmwareUpdater::changed(std::size_t index, const FirmwareRow& row) const
{
    if (m_observer)
        m_observer(index, row);
}

std::int32_t FirmwareUpdater::updateWith(FirmwareRow& row, const std::string& selection, const ToolProgress& progress)
{
    m_message.clear();
    m_updatedWithoutJournal = false;
    if (selection.empty())
        return AppStatus::FirmwareSkipped;
    if (progress)
        progress(" Updating Board 1/1", 0.0, expectedSeconds(row.board.name));
    checkRow(row);
    row.plan = FirmwarePlan::None;
    row.before = row.installed;
    row.target = selection;
    const std::int32_t outcome = send(row, selection, selection);
    if (progress)
        progress("", 1.0, 0.0);
    return outcome;
}

std::int32_t FirmwareUpdater::send(FirmwareRow& row, const std::string& selection, const std::string& parameters)
{
    const auto started = std::chrono::steady_clock::now();
    const std::string before = row.installed;
    const std::string change = versions(before, row.target);
    row.snapshots.clear();
    row.snapshotProblem.clear();
    if (m_journal) {
        const std::int32_t status = m_journal->snapshot(m_wrapper, row.board, "firmware-update", row.snapshots);
        if (status != 0) {
            m_message = m_journal->lastError() + "; nothing was sent";
            row.result = "Error!";
            row.info = change + " not updated: " + m_message;
            row.outcome = AppStatus::FirmwareUpdateFailed;
            row.snapshotProblem = m_message;
            JournalEntry entry = entryOf(row, parameters);
            entry.firmwareAfter = row.installed;
            entry.result = status;
            entry.statusText = row.info;
            m_journal->append(entry);
            return status;
        }
    }
    ChangeIntent intent;
    if (m_journal && !intent.begin(m_journal, entryOf(row, parameters), m_message))
        return AppStatus::JournalFailed;
    row.result = "Updating...";
    row.answer = m_wrapper.updateFirmware(row.board.index, selection);
    row.outcome = row.answer == 0 ? AppStatus::FirmwareUpdated : AppStatus::FirmwareUpdateFailed;
    row.result = row.answer == 0 ? "OK" : "Error!";
    if (row.answer == 0) {
        checkRow(row);
        // Named by the version the board reports now: an update with a file has no version before.
        const bool version = row.plan != FirmwarePlan::None;
        row.info = versions(before, version ? row.target : row.installed) +
                   (row.plan == FirmwarePlan::GoBack ? " went back to the release" : " updated");
        const std::string difference = readBackDifference(row, selection.empty() ? row.latest : selection);
        if (!difference.empty()) {
            row.outcome = AppStatus::FirmwareUpdateFailed;
            row.result = "Error!";
            row.info = change + " failed: " + difference;
        }
    } else {
        row.info = change + " failed: " +
                   (networkFailure(row.answer)
                        ? nodeResultText(row.answer, &m_wrapper) + " (" + std::to_string(row.answer) + ")"
                        : infoText(row.answer));
    }
    intent.end();
    if (!m_journal)
        return row.outcome;
    JournalEntry entry = entryOf(row, parameters);
    entry.firmwareBefore = before;
    entry.firmwareAfter = row.installed;
    entry.result = row.outcome;
    entry.statusText = ChangeIntent::statusOf(row.answer, row.result + (row.info.empty() ? "" : " " + row.info));
    entry.snapshots = row.snapshots;
    entry.durationSeconds = secondsSince(started);
    if (!m_journal->append(entry)) {
        m_lineLost = true;
        m_updatedWithoutJournal = row.outcome == AppStatus::FirmwareUpdated;
        m_message = row.board.label() + ": " +
                    (m_updatedWithoutJournal ? "the update was made (" + before + " -> " + row.installed + ")"
                                             : "the update failed") +
                    ", but its journal line could not be written: " + m_journal->lastError();
        return AppStatus::JournalFailed;
    }
    return row.outcome;
}

std::int32_t FirmwareUpdater::autoSelection(std::uint32_t board, std::string& fileName)
{
    FirmwareRow row;
    row.board.index = board;
    checkRow(row);
    if (!row.fileName.empty())
        fileName = row.fileName;
    return row.checkResult;
}

std::int32_t FirmwareUpdater::listing(std::vector<std::string>& fileNames)
{
    fileNames.clear();
    std::string document;
    const std::int32_t result = m_wrapper.getFirmwareListing(document);
    if (result >= 1)
        return result;
    return readListing(document, fileNames) ? 0 : 3003;
}

bool FirmwareUpdater::readListing(const std::string& document, std::vector<std::string>& fileNames)
{
    fileNames.clear();
    pugi::xml_document xml;
    const xpugi::UntrustedParse listing = xpugi::parseUntrusted(xml, document);
    if (!listing)
        return false;
    for (const pugi::xml_node& file : xml.child("FirmwareListing").children("File"))
        fileNames.push_back(file.attribute("Name").value());
    return true;
}

std::size_t FirmwareUpdater::markFailedFromJournal(std::vector<FirmwareRow>& rows, const MaintenanceJournal& journal)
{
    std::size_t failed = 0;
    const std::map<std::string, std::int32_t> last = journal.lastResults("firmware-update");
    for (FirmwareRow& row : rows) {
        const auto found = last.find(MaintenanceJournal::serialKey(row.board.serial));
        if (found == last.end() || found->second == AppStatus::FirmwareUpdated ||
            found->second == AppStatus::FirmwareSkipped)
            continue;
        row.outcome = AppStatus::FirmwareUpdateFailed;
        ++failed;
    }
    return failed;
}

} // namespace z2e
