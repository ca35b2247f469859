#pragma once
// The inventory of the report package: every system the program sees with its enclosures and
// boards (identity, firmware, temperatures, EEPROM state, last self test, warnings), the
// software versions, the host and the maintenance journal, as JSON for tools and as one
// self-contained, printable HTML page for people.

#include "core/root_node.h"
#include "core/system_model.h"

#include "core/network_node_record.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace z2e {

/// One system to list.
struct InventorySource {
    std::string name;               ///< "local", "demo", or "node <address>"
    const RootNode* root = nullptr; ///< null: listed with no enclosures
    std::int32_t status = 0;        ///< application status of reading it (0 read)
    /// Latest firmware by board index, where a firmware check knew it.
    std::map<std::int32_t, std::string> latestFirmware;
    /// A network node: its name, address and what it announced of each board.
    const NetworkNodeRecord* node = nullptr;
};

struct InventoryBoard {
    std::int32_t index = -1; ///< driver board index; -1 where the node does not tell
    std::int32_t slot = -1;
    std::string place; ///< "0/2": enclosure and slot as the tree numbers them; empty: unknown
    std::string model;
    std::string serial;
    std::string conSerial;
    std::string firmwareInstalled;
    std::string firmwareLatest;
    std::string baseTemperature;
    std::string conTemperature;
    std::string baseEeprom; ///< "ok", "no backup" or "faulty, backup present"; empty: unknown
    std::string conEeprom;
    std::string selfTestTime; ///< of the last self test in the journal; empty: none
    std::string selfTestOperation;
    std::string selfTestVerdict;
    std::int32_t selfTestResult = 0;
    std::vector<std::string> warnings; ///< the board's red rows
};

struct InventoryEnclosure {
    std::string name;
    std::string typeCode; ///< hexadecimal enclosure type code; empty where unknown
    std::string serial;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> warnings;
    std::vector<InventoryBoard> boards;
};

struct InventorySystem {
    std::string name;
    std::int32_t status = 0;
    std::string nodeName;    ///< a network node's name; empty for this computer's systems
    std::string nodeAddress; ///< a network node's address
    std::vector<InventoryEnclosure> enclosures;
    std::vector<InventoryBoard> looseBoards; ///< boards no enclosure slot took
    std::vector<std::string> warnings;       ///< red rows of the system itself
};

struct Inventory {
    std::string program; ///< "2.5.48441.00 (package 0.1.0, revision 370)"
    std::string created; ///< UTC, ISO 8601
    std::string host;
    std::string operatingSystem;
    std::vector<SoftwareVersionRecord> versions;
    std::vector<InventorySystem> systems;
    std::string journalFolder; ///< empty: no journal on this computer
    std::size_t journalLines = 0;
};

class SystemInventory {
public:
    /// Gathers the inventory of `sources`; self-test verdicts come from the journal in
    /// `journalFolder` (".../maintenance"), which is listed when it exists.
    static Inventory gather(const std::vector<InventorySource>& sources,
                            const std::vector<SoftwareVersionRecord>& versions, const std::string& journalFolder);

    /// Valid UTF-8 JSON, whatever bytes the texts hold.
    static std::string toJson(const Inventory& inventory);
    /// One HTML page without anything from elsewhere; every text escaped.
    static std::string toHtml(const Inventory& inventory);

    /// The style sheet of the printable pages: plain on paper, warnings in red on screen.
    static const char* htmlStyle();
    /// `text` escaped for HTML text and attribute values, as valid UTF-8.
    static std::string htmlEscape(const std::string& text);
};

} // namespace z2e
