#pragma once
// Backup of a board's base or connector EEPROM: the driver's document exactly as read, with a
// line end, in a file named after board, name and serial number.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/eeprom_which.h"

#include <cstdint>
#include <string>

namespace z2e {

class MaintenanceJournal;

class EepromBackup {
public:
    /// `journal` may be null: then the backup is not journalled.
    EepromBackup(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// "Baseeeprom_Brd<board>_<Name>_<serial>.xml" (or "Coneeprom_..."): "NoName" for a root
    /// without a name, "NoSerial" for a document without "BoardInfo/SerialNumber" text.
    /// Path separators in name and serial become "_", so the file stays in its folder.
    static std::string fileName(std::uint32_t board, EepromWhich which, const std::string& document);
    /// The progress text while the backup runs.
    static std::string progressText(EepromWhich which);

    /// Writes the backup into the existing `folder` and sets `path`. 0; 1002
    /// (DestinationRefused, message() says what stands there) when a file of that name exists
    /// and `replace` is false, or something other than a regular file, or the program's own
    /// data, stands there; 4009 when the document does not parse or the file cannot be
    /// written; the driver's result when the read fails.
    std::int32_t run(std::uint32_t board, EepromWhich which, const std::string& folder, std::string& path,
                     bool replace = false);

    /// Why the last run failed, when it did (with the system's reason for a file error).
    const std::string& message() const { return m_message; }
    /// The file the last run wrote or meant to write (empty when it read nothing).
    const std::string& target() const { return m_target; }

private:
    std::int32_t backup(std::uint32_t board, EepromWhich which, const std::string& folder, std::string& path,
                        bool replace);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    std::string m_message;
    std::string m_target;
};

} // namespace z2e
