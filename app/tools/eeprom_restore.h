#pragma once
// Restore of a board's base or connector EEPROM: from a backup file (checked before anything
// is sent), or by the driver from its own automatic backup. Both are journalled changes.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/eeprom_which.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace z2e {

class MaintenanceJournal;

class EepromRestore {
public:
    /// Larger files are no EEPROM backup; they are refused before they are read.
    static constexpr std::uint64_t kMaxFileBytes = 16u * 1024u * 1024u;
    /// What a board's EEPROM document may be, as the program keeps documents elsewhere: its
    /// elements nested at most as deep as a board's description tree, its text without layout
    /// at most as large as the driver keeps of a backup, and at most so many elements and
    /// attributes. A document beyond them is refused before anything is sent.
    static constexpr std::size_t kMaxNesting = 64;
    static constexpr std::size_t kMaxDocumentBytes = 1024u * 1024u;
    static constexpr std::size_t kMaxNodes = 65536;

    /// `journal` may be null: then nothing is snapshotted or journalled.
    EepromRestore(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// Reads a backup file for `which` and gives the text to send: 0; 4005 when it cannot be
    /// read, is too large, is no XML or lies beyond the limits above (`message` names the
    /// limit); 4006 when its root element is not exactly the one of `which` or it has more than
    /// one. `message` says why.
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
    /// The message after a restore that wrote something: the success text only when the
    /// read-back verified it; a read-back that differs or failed, or a journal line that
    /// could not be written after a verified write, says so instead.
    static std::string outcomeText(std::int32_t status, const std::string& verification);

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
