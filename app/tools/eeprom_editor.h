#pragma once
// The EEPROM editor's logic, shared by its dialog and the command line: what the board is
// now (summary, type code), which generations it may be rewritten as, the serial field's rule,
// the default write and the erase (both journalled changes), and what the outcome shows.

#include "driver/command/eeprom_summary.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/eeprom_model_list.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;

/// What the main window shows once the editor has closed.
struct EepromEditorOutcome {
    enum class Kind { Nothing, Success, Failure };
    Kind kind = Kind::Nothing;
    std::string title;
    std::string text;
};

class EepromEditor {
public:
    /// Serial numbers are eight upper-case hexadecimal digits, as the driver writes them.
    static constexpr std::size_t kSerialLength = 8;
    static constexpr const char* kSerialCharacters = "1234567890ABCDEF";

    /// `journal` may be null: then nothing is snapshotted or journalled.
    EepromEditor(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// Reads the board's summary, type code and the offered generations; the serial field
    /// starts as the summary's serial number.
    void load(std::uint32_t board);
    const EepromSummary& summary() const { return m_summary; }
    std::int32_t summaryResult() const { return m_summaryResult; }
    std::int32_t typeCode() const { return m_typeCode; }
    std::int32_t typeCodeResult() const { return m_typeCodeResult; }
    /// Write and erase need both the summary and the type code.
    bool writable() const { return m_summaryResult < 1 && m_typeCodeResult < 1; }
    /// What the serial field shows after load(): the serial number, or why it is unknown.
    std::string serialFieldText() const;
    const std::vector<EepromModelList::Entry>& offered() const { return m_offered; }
    std::vector<std::string> comboTexts() const { return EepromModelList::comboTexts(m_offered); }

    /// The serial field's rule for an edited text: a character outside kSerialCharacters
    /// gives back the last valid text, a longer text is cut; the result is the new valid text.
    std::string serialEdited(const std::string& text);
    /// A serial number the write accepts: 1 to kSerialLength characters of kSerialCharacters.
    static bool validSerial(const std::string& serial);

    /// Rewrites the base EEPROM from the default document of the offered `model` (entry name
    /// or base model) and `revision` with `serial`: 1101 for an invalid serial and 4005 for a
    /// generation not offered (nothing sent then), else 0 or 4005 for any failure.
    std::int32_t writeDefault(const std::string& model, const std::string& revision, const std::string& serial);
    /// Erases the base EEPROM (command 1044); the driver's result.
    std::int32_t erase();

    std::int32_t result() const { return m_result; }
    bool actionDone() const { return m_actionDone; }
    /// The read-back's verdict of the last write or erase.
    const std::string& verification() const { return m_verification; }
    /// Why the last action was refused or stopped early, when it was.
    const std::string& message() const { return m_message; }

    /// The outcome of a closed editor: nothing after Cancel (no action done), the success text
    /// for 0 (or a warning), else the failure text with the code's name.
    static EepromEditorOutcome outcome(bool actionDone, std::int32_t result, const QorinNodeUtilWrapper* node);
    /// The same after a write that was read back: success only when `verification` is
    /// "verified"; a read-back that differs or failed is a failure that quotes it, and a
    /// verified write whose journal line could not be written says both.
    static EepromEditorOutcome outcome(bool actionDone, std::int32_t result, const QorinNodeUtilWrapper* node,
                                       const std::string& verification);
    /// The name of a code in the failure text: the platform's name, else the driver's, else
    /// "ERR_UNKNOWN".
    static std::string codeName(std::int32_t result, const QorinNodeUtilWrapper* node);

private:
    std::int32_t finish(std::int32_t result);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    std::uint32_t m_board = 0;
    EepromSummary m_summary;
    std::int32_t m_summaryResult = 0;
    std::int32_t m_typeCode = -1;
    std::int32_t m_typeCodeResult = 0;
    std::vector<EepromModelList::Entry> m_offered;
    std::string m_lastValidSerial;
    std::int32_t m_result = 0;
    bool m_actionDone = false;
    std::string m_verification;
    std::string m_message;
};

} // namespace z2e
