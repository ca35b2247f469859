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
    static std::int32_t load(const std::string& path, EepromWhich which, std::string& document, std::string& message);
    /// The checks of load() on a file's `content` (`path` only names it in `message`).
    static std::int32_t check(const std::string& content, const std::string& path, EepromWhich which,
                              std::string& document, std::string& message);

    /// Restores from a backup file: the checks of load(), then snapshot, write and commit
    /// (4005, 4007 or 4008), read-back and journal line. A backup of another board (the serial
    /// number in its BoardInfo is not the one the board reports for that EEPROM) is refused
    /// with 4006 before anything is written, otherBoard() set, unless allowOtherBoard(true).
    std::int32_t fromFile(std::uint32_t board, EepromWhich which, const std::string& path);
    /// Lets fromFile() write a backup of another board (the operator confirmed it).
    void allowOtherBoard(bool allow) { m_allowOtherBoard = allow; }
    /// The last fromFile() refused a backup of another board; both serial numbers are kept.
    bool otherBoard() const { return !m_backupSerial.empty() && !m_boardSerial.empty(); }
    /// The serial number in the backup of the last fromFile(), and the board's for that EEPROM.
    const std::string& backupSerial() const { return m_backupSerial; }
    const std::string& boardSerial() const { return m_boardSerial; }

    /// "SerialNumber" in the BoardInfo of an EEPROM document; empty when it has none.
    static std::string serialOf(const std::string& document);
    /// The serial number a board properties document gives the EEPROM `which`: the board's
    /// for the base EEPROM, the connector panel's for the connector one.
    static std::string boardSerialOf(const std::string& properties, EepromWhich which);
    /// Whether two serial numbers are the same (blanks around them and case do not count).
    static bool sameSerial(const std::string& left, const std::string& right);
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
    /// Whether `document` may be written to `board`: false with the serials and the message
    /// set when it is a backup of another board and that was not allowed.
    bool sameBoard(std::uint32_t board, EepromWhich which, const std::string& document, const std::string& path);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    bool m_allowOtherBoard = false;
    std::string m_backupSerial;
    std::string m_boardSerial;
    std::string m_verification;
    std::string m_message;
};

} // namespace z2e
