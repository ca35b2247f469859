#pragma once
// A slot of an enclosure, empty (type 4) or holding a board (type 3).

#include "core/model_node.h"
#include "core/root_node.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

/// EEPROM backup state of one board part.
struct EepromBackupState {
    enum : std::uint32_t {
        Healthy = 0,    ///< EEPROM fine
        NoBackup = 1,   ///< facts missing, header broken or no automatic backup file
        Restorable = 2, ///< EEPROM faulty, automatic backup present
    };
};

/// What is still read of a board description once its rows are built. The parsed document
/// itself is not kept: it would take several times the memory of all the rows.
struct BoardDescriptionFacts {
    bool parsed = false;              ///< a usable description was parsed into the slot
    std::string displayName;          ///< "BoardInfo/DisplayName"
    bool anyFeature = false;          ///< the feature list holds an item
    bool visibleFeature = false;      ///< ... one not marked Visible="false"
    bool can = false;                 ///< "BoardFeatures" counts CAN channels
    bool uart = false;                ///< ... UART channels
    RootNode::OverviewRow overview{}; ///< overview row; the revision cells stay empty
};

class SlotNode : public ModelNode {
public:
    /// An empty slot of `systemKind`: caption "Slot", identifier "0000", number -1.
    explicit SlotNode(std::uint32_t systemKind);
    ~SlotNode() override;

    bool holdsBoard() const { return nodeType == NodeType::BoardSlot; }

    std::string boardId = "0000"; ///< board index as four decimal digits
    std::string serialNumber;
    std::string firmwareWarning; ///< suffix appended to the caption (starts with two blanks)
    std::string boardKey;        ///< the board's model key document
    std::string conSerialNumber; ///< connector panel serial number
    std::string baseModel;       ///< base board model
    std::string baseVersion;     ///< base board version
    std::string conModel;        ///< connector panel model
    std::string conVersion;      ///< connector panel version
    std::string baseTemperature; ///< as the driver reports it ("N.A." possible)
    std::string conTemperature;

    std::uint32_t baseEepromState = EepromBackupState::Healthy;
    std::uint32_t conEepromState = EepromBackupState::Healthy;

    std::vector<std::string> boardNames; ///< model names of the board(s) placed here
    std::string firmwareRevision;        ///< installed firmware revision text
    std::string baseRevision;            ///< revision of the base EEPROM contents
    std::string conRevision;             ///< revision of the connector EEPROM contents

    bool beyondUserSlots = false; ///< index not below the enclosure's user slot count
    std::int32_t boardIndex = -1; ///< driver board index while it holds a board

    BoardDescriptionFacts described; ///< from the last description parsed
};

} // namespace z2e
