#include "tools/eeprom_editor.h"

#include "core/driver_library.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/journalled_eeprom_write.h"
#include "uni/osal.h"

#include <cstring>

namespace z2e {

EepromEditor::EepromEditor(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

void EepromEditor::load(std::uint32_t board)
{
    m_board = board;
    m_summary = EepromSummary();
    m_summaryResult = m_wrapper.getBaseEepromSummary(board, m_summary);
    m_typeCode = -1;
    m_typeCodeResult = m_wrapper.getBoardTypeCode(board, m_typeCode);
    m_offered.clear();
    std::string document;
    std::vector<EepromModelList::Entry> entries;
    if (m_typeCodeResult < 1 && m_wrapper.getBaseEepromEntries(document) < 1 &&
        EepromModelList::parse(document, entries))
        m_offered = EepromModelList::offeredEntries(m_typeCode, entries);
    m_lastValidSerial = m_summaryResult < 1 ? serialEdited(m_summary.serialNumber) : std::string();
}

std::string EepromEditor::serialFieldText() const
{
    if (m_summaryResult >= 1)
        return "Error " + std::to_string(m_summaryResult) + ": " + nodeResultText(m_summaryResult, &m_wrapper);
    return m_lastValidSerial;
}

std::string EepromEditor::serialEdited(const std::string& text)
{
    if (text.find_first_not_of(kSerialCharacters) != std::string::npos)
        return m_lastValidSerial;
    m_lastValidSerial = text.substr(0, kSerialLength);
    return m_lastValidSerial;
}

bool EepromEditor::validSerial(const std::string& serial)
{
    // The field's own rule: an empty field is written as it stands.
    return serial.size() <= kSerialLength && serial.find_first_not_of(kSerialCharacters) == std::string::npos;
}

std::int32_t EepromEditor::finish(std::int32_t result)
{
    m_result = result;
    m_actionDone = true;
    return result;
}

std::int32_t EepromEditor::writeDefault(const std::string& model, const std::string& revision,
                                        const std::string& serial)
{
    m_verification.clear();
    m_message.clear();
    if (!validSerial(serial)) {
        m_message = "\"" + serial + "\" is no serial number: up to 8 of " + kSerialCharacters;
        return AppStatus::InvalidSerialNumber;
    }
    const EepromModelList::Entry* chosen = nullptr;
    for (const EepromModelList::Entry& entry : m_offered) {
        if ((entry.baseModel == model || entry.name == model) && entry.baseVersion == revision)
            chosen = &entry;
    }
    if (!chosen) {
        m_message = model + " revision " + revision + " is not offered for this board";
        return AppStatus::EepromDocumentFailed;
    }
    const std::string baseModel = chosen->baseModel;
    JournalledEepromWrite change(m_wrapper, m_journal);
    const std::int32_t status = change.run(
        m_board, "eeprom-write-default", chosen->name + " " + baseModel + " revision " + revision + " serial " + serial,
        EepromWhich::Base, JournalledEepromWrite::ReadBack::Document, [&] {
            EepromWriteStep step;
            step.status = m_wrapper.defaultBaseEepromDocument(baseModel, revision, serial, step.sent);
            if (step.status == AppStatus::Ok)
                step.status = m_wrapper.setBaseEeprom(m_board, step.sent);
            step.staged = step.status == AppStatus::BaseEepromWriteFailed;
            if (step.status >= 1)
                step.status = AppStatus::EepromDocumentFailed;
            return step;
        });
    m_verification = change.verification();
    m_message = change.message();
    return finish(status);
}

std::int32_t EepromEditor::erase()
{
    m_verification.clear();
    m_message.clear();
    JournalledEepromWrite change(m_wrapper, m_journal);
    const std::int32_t status =
        change.run(m_board, "eeprom-erase", "base", EepromWhich::Base, JournalledEepromWrite::ReadBack::Blank, [&] {
            EepromWriteStep step;
            step.status = m_wrapper.eraseBaseEeprom(m_board);
            return step;
        });
    m_verification = change.verification();
    m_message = change.message();
    return finish(status);
}

std::string EepromEditor::codeName(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    const char* platform = uni::osal::errorName(result);
    if (std::strcmp(platform, "ERR_UNKNOWN") != 0)
        return platform;
    // The driver names what it does not know too; that is no name.
    std::string text;
    if ((DriverLibrary::resultText(result, text) || (node && node->resultText(result, text))) &&
        text.rfind("UNKNOWN", 0) != 0)
        return text;
    return platform;
}

EepromEditorOutcome EepromEditor::outcome(bool actionDone, std::int32_t result, const QorinNodeUtilWrapper* node)
{
    EepromEditorOutcome shown;
    if (!actionDone)
        return shown;
    if (result <= 0) {
        shown.kind = EepromEditorOutcome::Kind::Success;
        shown.title = "Information";
        shown.text = "Base EEPROM Configuration finished successfully!";
        return shown;
    }
    shown.kind = EepromEditorOutcome::Kind::Failure;
    shown.title = "Error Information";
    shown.text = "Base EEPROM Configuration Failed. [" + codeName(result, node) + "] ";
    return shown;
}

EepromEditorOutcome EepromEditor::outcome(bool actionDone, std::int32_t result, const QorinNodeUtilWrapper* node,
                                          const std::string& verification)
{
    EepromEditorOutcome shown = outcome(actionDone, result, node);
    if (!actionDone || verification.empty())
        return shown;
    const bool verified = verification == "verified";
    if (result == AppStatus::JournalFailed && verified) {
        shown.text = "Base EEPROM Configuration written and verified, but its journal line could not be written.";
    } else if (shown.kind == EepromEditorOutcome::Kind::Success && !verified) {
        shown.kind = EepromEditorOutcome::Kind::Failure;
        shown.title = "Error Information";
        shown.text = "Base EEPROM Configuration not verified: the board does not report what was written.\n"
                     "Read-back: " +
                     verification;
    }
    return shown;
}

} // namespace z2e
