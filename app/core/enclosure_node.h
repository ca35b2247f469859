#pragma once
// An enclosure below a system root: its property rows first, then its slots.

#include "core/model_node.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class SlotNode;

/// One option of an enclosure as its configuration entry stores it (element name, text).
struct EnclosureOptionText {
    std::string name;
    std::string value;
};

class EnclosureNode : public ModelNode {
public:
    /// An enclosure of `systemKind`, caption "Enclosure".
    explicit EnclosureNode(std::uint32_t systemKind);
    ~EnclosureNode() override;

    /// Number shown for the slot at `slotIndex`: slot number offset plus the index.
    std::int32_t slotNumber(std::int32_t slotIndex) const;
    /// The slot child at slot position `slotIndex` (0 = first slot), or null.
    SlotNode* slotAt(std::size_t slotIndex) const;
    /// Number of slot children (children after the property rows).
    std::size_t slotCount() const;

    std::uint32_t typeCode = 0;   ///< "EncName" read as hexadecimal
    std::uint32_t encType = 0;    ///< enclosure type number of its data
    std::uint32_t encVersion = 0; ///< enclosure version number of its data
    std::string serialNumber;
    std::string userData;            ///< "UserData"
    std::string description;         ///< the description text the enclosure was built from
    std::string key;                 ///< the model key document (KEY element) of the enclosure
    std::int32_t userSlotCount = -1; ///< "UserSlotCnt"
    std::int32_t slotNoOffset = -1;  ///< "SlotNoOffset"
    std::uint64_t propertyCount = 0; ///< property children that precede the slots
    std::vector<EnclosureOptionText> options;
};

} // namespace z2e
