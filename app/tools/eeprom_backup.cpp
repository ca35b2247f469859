#include "tools/eeprom_backup.h"

#include "config/output_destination.h"
#include "core/application_status.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/board_identity.h"
#include "tools/maintenance_journal.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <chrono>

namespace z2e {

namespace {

std::string fileNamePart(std::string text, const char* missing)
{
    if (text.empty())
        return missing;
    for (char& c : text) {
        if (c == '/' || c == '\\')
            c = '_';
    }
    return text;
}

} // namespace

EepromBackup::EepromBackup(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

std::string EepromBackup::fileName(std::uint32_t board, EepromWhich which, const std::string& document)
{
    pugi::xml_document xml;
    xpugi::parseUntrusted(xml, document);
    const pugi::xml_node root = xml.document_element();
    return std::string(which == EepromWhich::Base ? "Baseeeprom_Brd" : "Coneeprom_Brd") + std::to_string(board) + "_" +
           fileNamePart(root.attribute("Name").value(), "NoName") + "_" +
           fileNamePart(root.child("BoardInfo").child_value("SerialNumber"), "NoSerial") + ".xml";
}

std::string EepromBackup::progressText(EepromWhich which)
{
    return which == EepromWhich::Base ? "Backing up the content of the \nbase board EEPROM."
                                      : "Backing up the content of the \nconnector panel EEPROM.";
}

std::int32_t EepromBackup::run(std::uint32_t board, EepromWhich which, const std::string& folder, std::string& path,
                               bool replace)
{
    const auto started = std::chrono::steady_clock::now();
    m_message.clear();
    m_target.clear();
    path.clear();
    const std::int32_t status = backup(board, which, folder, path, replace);
    if (!m_journal)
        return status;
    const BoardIdentity identity = BoardIdentity::read(m_wrapper, board);
    JournalEntry entry = JournalEntry::forBoard(
        identity, "eeprom-backup", std::string(eepromShortName(which)) + " to " + (path.empty() ? folder : path));
    entry.result = status;
    entry.statusText = status == 0 ? std::string("saved") : statusMessage(status);
    entry.durationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!m_journal->append(entry) && status == 0) {
        m_message = m_journal->lastError();
        return AppStatus::JournalFailed;
    }
    return status;
}

std::int32_t EepromBackup::backup(std::uint32_t board, EepromWhich which, const std::string& folder, std::string& path,
                                  bool replace)
{
    std::string document;
    const std::int32_t read =
        which == EepromWhich::Base ? m_wrapper.getBaseEeprom(board, document) : m_wrapper.getConEeprom(board, document);
    if (read >= 1) {
        m_message = "cannot read the EEPROM: " + statusWords(read, &m_wrapper);
        return read;
    }
    pugi::xml_document xml;
    const xpugi::UntrustedParse parsed = xpugi::parseUntrusted(xml, document);
    if (parsed.tooManyNodes) {
        m_message = "the board's document holds " + xpugi::tooManyNodesText() + ", far more than an EEPROM keeps";
        return AppStatus::SnapshotFailed;
    }
    if (!parsed) {
        m_message = std::string("the board's document does not parse: ") + parsed.result.description();
        return AppStatus::SnapshotFailed;
    }
    const std::string target = folder + "/" + fileName(board, which, document);
    m_target = target;
    const OutputDestination::Result written = OutputDestination::write(target, document + "\n", {replace, true});
    if (written.refused()) {
        m_message = written.message;
        return AppStatus::DestinationRefused;
    }
    if (!written.ok()) {
        m_message = "cannot write " + target + ": " + written.message;
        return AppStatus::SnapshotFailed;
    }
    path = target;
    return AppStatus::Ok;
}

} // namespace z2e
