#pragma once
// Enclosure and board entries as the configuration's Simulation section and the hardware
// description file give them, with the hardware description's fault settings.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zmpxi_sim {

/// A document the driver returns verbatim for (suffix, item) instead of generating it.
struct LiteralDocument {
    std::string suffix;
    std::string item;
    std::string text;
};

/// The literal document for (suffix, item), suffixes matched ignoring case; null when none.
const LiteralDocument* findLiteral(const std::vector<LiteralDocument>& literals, const std::string& suffix,
                                   const std::string& item);

enum class EepromFault { None, Corrupt, Blank };

/// Faults of one stand-in physical board.
struct BoardFaults {
    EepromFault baseEeprom = EepromFault::None;
    EepromFault conEeprom = EepromFault::None;
    bool baseBackup = true; ///< an automatic backup exists for the faulty base EEPROM
    bool conBackup = true;
    std::string selfTestVerdict;    ///< "Passed" value of the failing check; empty: all pass
    int firmwareUpdateFailures = 0; ///< updates that fail before one succeeds; -1: always
    bool eepromWriteFails = false;
    std::string baseTemp; ///< temperature text override
    std::string conTemp;
};

struct BoardEntry {
    std::string id;
    bool hasKey = false;
    std::string baseModel;
    std::string baseVersion;
    std::string conModel;
    std::string conVersion;
    std::string featureSet;
    std::string familyName;
    std::string type;
    std::string conBv;
    std::string displayName;
    std::string modelName; ///< "Model" child, a shorthand for a KEY
    std::int32_t encNumber = 0;
    std::int32_t slotNumber = 2;
    std::string fwRevision;
    std::string serialNumber;
    std::string conSerialNumber;
    std::string calDate; ///< factory calibration of both EEPROMs; empty: derived from the serial
    std::vector<std::pair<std::string, std::string>> channelModules;
    BoardFaults faults;
    std::vector<LiteralDocument> literals;
};

struct EnclosureEntry {
    std::string id;
    bool hasKey = false;
    std::string encName;
    std::string name;
    std::int32_t subVersion = 0;
    std::int32_t userSlotCnt = -1;
    std::int32_t slotNoOffset = -1;
    std::int32_t starHubSlot = 0;
    std::string modelName;
    std::string serialNumber;
    std::string userData;
    std::string encType;
    std::string encVersion;
    std::vector<std::pair<std::string, std::string>> options;
    bool dataWriteFails = false;
    std::vector<LiteralDocument> literals;
};

/// Faults that concern the whole driver rather than one board.
struct SystemFaults {
    int initBusy = 0; ///< inits that answer "hardware in use" before one succeeds
    bool overrideEnclosureCount = false;
    std::string enclosureCountText;
    std::int32_t initWarning = 0; ///< warning code a successful init answers
};

struct SimulationSection {
    std::vector<EnclosureEntry> enclosures;
    std::vector<BoardEntry> boards;
};

} // namespace zmpxi_sim
