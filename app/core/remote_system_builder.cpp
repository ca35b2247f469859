#include "core/remote_system_builder.h"

#include "core/description_parser.h"
#include "core/network_node_rows.h"
#include "core/node_action_rules.h"
#include "core/root_node.h"

#include "qorinet_api/common/qorinet_names.h"
#include "uni/number_text.h"
#include "xpugi/element.h"

#include <algorithm>
#include <cstdint>

namespace z2e {
namespace {

using qorinet_api::QORINetClientNode;

// Texts longer than this from a node are cut: they end up in tree rows and list entries.
constexpr std::size_t kMaxText = 256;
// A first slot number beyond this is not believed.
constexpr std::int64_t kMaxFirstSlot = 0xFFFF;

std::string bounded(const std::string& text)
{
    return text.size() > kMaxText ? text.substr(0, kMaxText) : text;
}

// The number a slot shows: counted as the node's driver counts them, as for an enclosure of
// this computer; a node that does not say how counts from 1.
std::int32_t slotNumberOf(const QORINetClientNode::EnclosureInfo* enclosure, std::uint32_t slotIndex)
{
    const std::int64_t first = enclosure && enclosure->slotNoOffset >= 0 ? enclosure->slotNoOffset : 1;
    return static_cast<std::int32_t>(std::min<std::int64_t>(first + slotIndex, INT32_MAX));
}

// A node that does not name an enclosure's first slot number still tells it, once linked, in
// the description of a board there: the driver's slot number of the board less its index.
std::vector<QORINetClientNode::EnclosureInfo>
withFirstSlotNumbers(std::vector<QORINetClientNode::EnclosureInfo> enclosures,
                     const std::vector<QORINetClientNode::BoardInfo>& boards)
{
    for (const QORINetClientNode::BoardInfo& board : boards) {
        if (board.enclosureIndex >= enclosures.size() || enclosures[board.enclosureIndex].slotNoOffset >= 0 ||
            board.properties.empty())
            continue;
        pugi::xml_document description;
        std::int32_t slotNo = -1;
        if (!DescriptionParser::parseXml(board.properties, description) ||
            !uni::text::parseSignedDecimal(
                xpugi::elementText(description.document_element().first_element_by_path("SystemInfo/SlotNo")), slotNo))
            continue;
        const std::int64_t first = static_cast<std::int64_t>(slotNo) - board.slotIndex;
        if (first >= 0 && first <= kMaxFirstSlot)
            enclosures[board.enclosureIndex].slotNoOffset = static_cast<std::int32_t>(first);
    }
    return enclosures;
}

NetworkBoardRecord boardRecord(const QORINetClientNode::BoardInfo& board,
                               const std::vector<QORINetClientNode::EnclosureInfo>& enclosures)
{
    NetworkBoardRecord record;
    record.name = bounded(board.name);
    record.serialNumber = bounded(board.serial);
    record.firmware = bounded(board.firmware);
    record.enclosureIndex = static_cast<std::int32_t>(std::min<std::uint32_t>(board.enclosureIndex, INT32_MAX));
    record.slotNumber = slotNumberOf(
        board.enclosureIndex < enclosures.size() ? &enclosures[board.enclosureIndex] : nullptr, board.slotIndex);
    return record;
}

} // namespace

std::uint32_t RemoteSystemBuilder::connectionStateOf(const QORINetClientNode& node)
{
    const std::uint32_t scan = node.scanState();
    if (scan == 0)
        return NetworkConnectionState::Unknown;
    if (node.isTainted() || !node.isConnectable())
        return NetworkConnectionState::Announced;
    return NetworkConnectionState::Established;
}

std::vector<NetworkEnclosureRecord>
RemoteSystemBuilder::enclosureRecords(const std::vector<QORINetClientNode::EnclosureInfo>& enclosures,
                                      const std::vector<QORINetClientNode::BoardInfo>& boards)
{
    std::vector<NetworkEnclosureRecord> records;
    records.reserve(enclosures.size());
    for (const QORINetClientNode::EnclosureInfo& enclosure : enclosures) {
        NetworkEnclosureRecord record;
        record.name = bounded(enclosure.name);
        record.serialNumber = bounded(enclosure.serial);
        const std::uint32_t slots = std::min(enclosure.slotCount, kMaxSlots);
        for (std::uint32_t i = 0; i < slots; ++i) {
            NetworkSlotRecord slot;
            slot.slotNumber = slotNumberOf(&enclosure, i);
            record.slotRecords.push_back(slot);
        }
        records.push_back(std::move(record));
    }
    // Boards name their enclosure by its position in the list, not by its index field.
    for (std::size_t index = 0; index < boards.size(); ++index) {
        const QORINetClientNode::BoardInfo& board = boards[index];
        if (board.enclosureIndex >= records.size())
            continue;
        std::vector<NetworkSlotRecord>& slots = records[board.enclosureIndex].slotRecords;
        if (board.slotIndex >= slots.size() || slots[board.slotIndex].hasBoard)
            continue;
        NetworkSlotRecord& slot = slots[board.slotIndex];
        slot.hasBoard = true;
        slot.boardIndex = static_cast<std::int32_t>(index);
        slot.boardName = bounded(board.name);
        slot.serialNumber = bounded(board.serial);
    }
    return records;
}

NetworkNodeRecord RemoteSystemBuilder::recordOf(const QORINetClientNode& node)
{
    NetworkNodeRecord record;
    record.nodeId = node.getNodeId();
    // The client shows a placeholder for a node without a name; the record keeps it empty so
    // that the list can caption the entry with the node's id.
    const std::string name = node.getName();
    record.name = name == qorinet_api::kRemoteNodeUnnamed ? std::string() : bounded(name);
    record.address = node.getAddress();
    record.netMask = node.getNetMask();
    record.ipMode = NodeActionRules::modeText(node.ipMode());
    record.ipVersion = NodeActionRules::versionText(node.ipMode());
    const uni::ipv4::IpAddressPair local = node.localAddressPair();
    record.localAddress = local.address();
    record.localNetMask = local.address().empty() ? std::string() : local.maskText();

    const QORINetClientNode::NodeTexts texts = node.nodeTexts();
    record.firmwareVersion = bounded(texts.firmware);
    record.driverVersion = bounded(texts.driver);
    record.serverVersion = bounded(texts.serverVersion);

    const std::vector<QORINetClientNode::BoardInfo> boards = node.boards();
    const std::vector<QORINetClientNode::EnclosureInfo> enclosures = withFirstSlotNumbers(node.enclosures(), boards);
    record.enclosures = enclosureRecords(enclosures, boards);
    for (const QORINetClientNode::BoardInfo& board : boards)
        record.boards.push_back(boardRecord(board, enclosures));

    record.connectionState = connectionStateOf(node);
    record.connected = node.isConnected();
    // Held by someone else: the node names a holder while this program holds no connection.
    record.occupied =
        !record.connected && (node.scanState() == QORINetClientNode::kScanHeld || texts.enclosureAccess == "Occupied");
    record.simulated = node.isSimulation();
    return record;
}

std::int32_t RemoteSystemBuilder::readApiVersion(qorinet_api::QORINetIfClientNode& node, NetworkNodeRecord& record)
{
    std::string version;
    const std::int32_t result = node.GetParamStruct_str("driver/api", "version", version);
    if (result <= 0)
        record.apiVersion = bounded(version);
    return result;
}

void RemoteSystemBuilder::readLinked(qorinet_api::QORINetIfClientNode& node, NetworkNodeRecord& record)
{
    const std::int32_t result = readApiVersion(node, record);
    if (result > 0)
        markUnreadable(record, result);
}

void RemoteSystemBuilder::markUnreadable(NetworkNodeRecord& record, std::int32_t failure)
{
    record.failure = failure;
    record.connectionState = NetworkConnectionState::Announced;
}

void RemoteSystemBuilder::keepReadings(const NetworkNodeRecord& before, NetworkNodeRecord& now)
{
    if (now.apiVersion.empty())
        now.apiVersion = before.apiVersion;
    // A node that could not be read stays explained until it is read again.
    if (before.failure != 0 && now.apiVersion.empty())
        markUnreadable(now, before.failure);
    for (std::size_t enclosure = 0; enclosure < std::min(now.enclosures.size(), before.enclosures.size());
         ++enclosure) {
        std::vector<NetworkSlotRecord>& slots = now.enclosures[enclosure].slotRecords;
        const std::vector<NetworkSlotRecord>& known = before.enclosures[enclosure].slotRecords;
        for (std::size_t slot = 0; slot < std::min(slots.size(), known.size()); ++slot) {
            NetworkSlotRecord& current = slots[slot];
            const NetworkSlotRecord& old = known[slot];
            if (current.temperaturesRead || !old.temperaturesRead || !current.hasBoard ||
                current.serialNumber != old.serialNumber)
                continue;
            current.temperaturesRead = true;
            current.baseTemperature = old.baseTemperature;
            current.conTemperature = old.conTemperature;
        }
    }
}

void RemoteSystemBuilder::fillRoot(RootNode& root, const NetworkNodeRecord& record)
{
    NetworkNodeRows::fillRemoteSystem(root, record);
}

} // namespace z2e
