#pragma once
// Turns the XML descriptions of boards and enclosures into nodes of a system tree. Every text
// is untrusted: it is size-checked, parsed with pugixml and read by path; a missing element
// reads as an empty text, and nothing read from it is used to reach outside the tree.

#include "core/root_node.h"

#include <pugixml.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace z2e {

class EnclosureNode;
class SlotNode;

class DescriptionParser {
public:
    /// Results of the parse operations.
    enum : std::int32_t {
        Ok = 0,
        MissingInput = 6,  ///< no node or an empty text
        Dropped = 304,     ///< the element is not shown ("UserData")
        TooDeep = 305,     ///< nesting beyond kMaxDepth: the subtree is dropped
        Unparsable = 1000, ///< not XML, too large (bytes or xpugi::kMaxNodes), or the required element is missing
    };

    static constexpr std::size_t kMaxDescriptionSize = 16u << 20;
    static constexpr int kMaxDepth = 64;
    /// Most slots an enclosure description may ask for; larger counts are capped.
    static constexpr std::int32_t kMaxSlots = 256;
    /// Cells of the board overview row that hold the base and panel EEPROM revisions.
    static constexpr std::size_t kBaseRevisionColumn = 5;
    static constexpr std::size_t kConRevisionColumn = 15;

    /// Fills `slot` from a board description: temperature rows (outside the demo system),
    /// caption with the firmware warning suffix (local and remote systems), EEPROM backup
    /// states, identity texts, the property subtrees, and the board-present type.
    /// `caption` receives the caption. The text itself is not kept, only its rows and the
    /// slot's description facts. On Unparsable, `caption` and those facts are cleared and only
    /// the temperature rows are added.
    static std::int32_t parseBoardDescription(SlotNode* slot, const std::string& description, std::string& caption);

    /// Fills `enclosure` from its description ("Properties/EnclosureInfo", or a bare "KEY")
    /// and `encNameText`, a document carrying "EncName" (child text, else KEY attribute) and
    /// optionally the enclosure's data ("EncType", "EncVersion", options after them). Slots
    /// already present stay after the new property rows; empty slots are added up to the user
    /// slot count. Unparsable when the description is no usable XML.
    static std::int32_t parseEnclosureDescription(EnclosureNode* enclosure, std::int32_t enclosureIndex,
                                                  const std::string& description, const std::string& encNameText,
                                                  bool locked);

    /// Builds `node` from `element` (recursively). Ok when the node is to be kept; Dropped
    /// or TooDeep when it is to be destroyed. `node` should already hang below its parent:
    /// the renaming rules look at the parent.
    static std::int32_t buildPropertyNode(ModelNode& node, const pugi::xml_node& element);

    /// EEPROM backup state from the three texts of one EEPROM status element.
    static std::uint32_t eepromBackupState(const std::string& status, const std::string& headerStatus,
                                           const std::string& autoBackupFile);
    /// Caption suffix from the firmware check status, firmware text and revision text.
    static std::string firmwareWarningSuffix(std::int32_t checkStatus, const std::string& firmwareText,
                                             const std::string& revisionText);
    /// Board overview row of a parsed board description (root "Properties").
    static RootNode::OverviewRow overviewRow(const pugi::xml_node& document, const std::string& baseRevision,
                                             const std::string& conRevision);
    /// Board overview row of the description last parsed into `slot`, with its revisions.
    static RootNode::OverviewRow overviewRow(const SlotNode& slot);
    /// Name rule of property rows: the row name for element `elementName` below `parent`.
    static std::string propertyName(std::string_view elementName, const std::string& currentName,
                                    const ModelNode* parent);

    /// Each bus channel's rate in bit/s as "ChannelProperties" gives it (`CANn/BitRate`,
    /// `UARTn/BaudRate`, n 0..3); 0 where it gives none, or none that is a whole number of
    /// bit/s up to 10^9.
    struct BusRates {
        static constexpr std::size_t kChannels = 4;
        std::array<std::uint32_t, kChannels> can{};
        std::array<std::uint32_t, kChannels> uart{};
    };
    /// The rates of a board description; all 0 when it is no usable XML.
    static BusRates busRates(const std::string& description);

    /// Parses untrusted XML with the options every description uses; false for a text
    /// that is empty, too large (bytes or xpugi::kMaxNodes) or not well-formed.
    static bool parseXml(const std::string& text, pugi::xml_document& document);
};

} // namespace z2e
