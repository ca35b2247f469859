#pragma once
// Restore of a board's base or connector EEPROM: from a backup file (checked before anything
// is sent), or by the driver from its own automatic backup. Both are journalled changes.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/eeprom_which.h"

#include <cstdint>
#include <string>

namespace z2e {

class MaintenanceJournal;

class EepromRestore {
public:
    /// Larger files are no EEPROM backup; they are refused before they are read.
    static constexpr std::uint64_t kMaxFileBytes = 16u * 1024u * 1024u;

    /// `journal` may be null: then nothing is snapshotted or journalled.
    EepromRestore(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// Reads a backup file for `which` and gives the text to send: 0; 4005 when it cannot be
    /// read, is too large or is no XML; 4006 when its root element is not exactly the one of
    /// `which`. `message` says why.
    static std::int32_t load(const std::string& path, EepromWhich which, std::string& document,
                             std::string& message);
    /// The checks of load() on a file's `content` (`path` only names it in `message`).
    static std::int32_t check(const std::string& content, const std::string& path, EepromWhich which,
                              std::string& document, std::string& message);

    /// Restores from a backup file: the checks of load(), then snapshot, write and commit
    /// (4005, 4007 or 4008), read-back and journal line.
    std::int32_t fromFile(std::uint32_t board, EepromWhich which, const std::string& path);
    /// Asks the driver to restore from its automatic backup (command 1028 or 1029; no file is
    /// read); the driver's result.
    std::int32_t automatic(std::uint32_t board, EepromWhich which);

    /// The progress text of a restore from file or an automatic one.
    static std::string progressText(EepromWhich which, bool automatic);
    /// The message shown after a restore: the success text for 0 (or a warning), else the status text.
    static std::string outcomeText(std::int32_t status);

    /// The read-back's verdict of the last restore; empty when nothing was written.
    const std::string& verification() const { return m_verification; }
    /// Why the last restore was refused or stopped, when it was.
    const std::string& message() const { return m_message; }

private:
    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    std::string m_verification;
    std::string m_message;
};

} // namespace z2e
