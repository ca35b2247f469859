#pragma once
// What an enclosure stores about itself (type, version, serial number, option values, user
// data): read into a record, checked, written through the command layer and read back.
// Writes are journalled like board changes: the enclosure's description is snapshotted
// first, and the journal line records what the read-back found.

#include "driver/command/enclosure_data.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace z2e {

class MaintenanceJournal;

/// One option of an enclosure: its value ("None" when empty) and the values its model offers.
struct EnclosureOptionState {
    std::string name;
    std::optional<std::int32_t> value;
    std::vector<std::pair<std::int32_t, std::string>> offered; ///< value and its text, in listing order

    /// The text of the value: the offered text, the bare number, or "None".
    std::string valueText() const;
};

/// How an enclosure is reached, which decides whether and how it is written.
enum class EnclosureKind {
    Local,       ///< behind this computer's driver
    NetworkNode, ///< a network node: it restarts to apply written data
    NotWritable, ///< keeps no data of its own; nothing is ever sent
};

struct EnclosureRecord {
    std::uint32_t index = 0;
    std::string name; ///< model name ("QE-R16")
    EnclosureKind kind = EnclosureKind::Local;
    std::string serialText; ///< "SerialNumber" of the description: names the journal folder
    std::string userData;
    std::uint32_t serialNumber = 0; ///< "EncName"
    std::int32_t type = 0;
    std::int32_t version = 0;
    std::vector<EnclosureOptionState> options;

    EnclosureOptionState* option(const std::string& name);
};

class EnclosureDataTool {
public:
    /// `journal` may be null: then nothing is snapshotted or journalled.
    EnclosureDataTool(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// Reads the enclosure's description and its model's option values. 300 when the
    /// description cannot be read or parsed.
    std::int32_t read(std::uint32_t enclosure, EnclosureRecord& record);

    /// Exactly eight hexadecimal digits, either case.
    static bool parseSerial(const std::string& text, std::uint32_t& value);
    /// Sets the option to an offered value, given as its number or its text, or to none
    /// ("none", any case). False, the option unchanged, for anything else.
    static bool choose(EnclosureOptionState& option, const std::string& valueText);
    /// Every option holds none or an offered value (an option whose model offers nothing is
    /// taken as it is).
    static bool optionsValid(const EnclosureRecord& record);

    /// Writes `record` with the serial number `serialText`: 1101 (nothing sent) for a serial
    /// number or option value that is not valid, 1100 (nothing sent) for an enclosure
    /// without data of its own, 4009 when the snapshot fails (nothing sent), else 1000 (1010
    /// for a network node) or 303 at the first failing step.
    std::int32_t write(EnclosureRecord record, const std::string& serialText);
    /// "verified", or the first difference the read-back after the last write found; empty
    /// when nothing was read back.
    const std::string& verification() const { return m_verification; }
    /// Why the last write stopped before sending, when it did.
    const std::string& message() const { return m_message; }

    /// The first difference between what was written and what the enclosure reports
    /// (serial number, type, version, options), or "verified".
    static std::string compare(const EnclosureRecord& written, const EnclosureRecord& now);
    /// The command layer's data of a record.
    static EnclosureData dataOf(const EnclosureRecord& record);

private:
    void readOffers(EnclosureRecord& record);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
    std::string m_verification;
    std::string m_message;
};

} // namespace z2e
