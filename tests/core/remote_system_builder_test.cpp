#include "core/remote_system_builder.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

using qorinet_api::QORINetClientNode;

using Boards = std::vector<QORINetClientNode::BoardInfo>;
using Enclosures = std::vector<QORINetClientNode::EnclosureInfo>;

QORINetClientNode::BoardInfo board(const std::string& name, std::uint32_t enclosure, std::uint32_t slot)
{
    QORINetClientNode::BoardInfo info;
    info.name = name;
    info.serial = "SN-" + name;
    info.enclosureIndex = enclosure;
    info.slotIndex = slot;
    return info;
}

// A node as discovery leaves it after a scan answer: no owner, nothing connected.
std::unique_ptr<QORINetClientNode> answeredNode()
{
    auto node = std::make_unique<QORINetClientNode>(nullptr, 7, 0, 0, true);
    node->setAddressPair(*uni::ipv4::IpAddressPair::fromText("127.0.0.42", "255.0.0.0"));
    node->setLocalAddressPair(*uni::ipv4::IpAddressPair::fromText("127.0.0.1", "255.0.0.0"));
    node->storeName("Bench-East");
    node->setNodeTexts({"2.5.12", "2.6.50112.0", "Free", "00E3C8C3", "2.4.7"});
    node->setEnclosures({{0, "QORINet QN-N6", "00E3C8C3", 3}});
    node->setBoards({board("QA-4016", 0, 0), board("QD-5032", 0, 2)});
    node->setScanState(QORINetClientNode::kScanFree);
    return node;
}

// Each enclosure's slots as "number:board/serial#index" ("number:-" when empty), one line each.
std::vector<std::string> layout(const std::vector<NetworkEnclosureRecord>& records)
{
    std::vector<std::string> lines;
    for (const NetworkEnclosureRecord& enclosure : records) {
        std::string line;
        for (const NetworkSlotRecord& slot : enclosure.slotRecords)
            line += " " + std::to_string(slot.slotNumber) + ":" +
                    (slot.hasBoard ? slot.boardName + "/" + slot.serialNumber + "#" + std::to_string(slot.boardIndex)
                                   : "-");
        lines.push_back(line);
    }
    return lines;
}

// Slots count from the first slot number the node names, as the driver counts them; from 1 when
// it names none.
TEST(RemoteSystemBuilder, BoardsLandInTheirSlotsNumberedAsTheNodeCountsThem)
{
    const Enclosures enclosures = {{0, "Front", "E0", 3, 2}, {1, "Back", "E1", 2}};
    const Boards boards = {board("A", 0, 2), board("B", 1, 0), board("Twin", 0, 2), board("Beyond", 1, 2),
                           board("Nowhere", 5, 0)};
    const std::vector<NetworkEnclosureRecord> records = RemoteSystemBuilder::enclosureRecords(enclosures, boards);

    // The first board claiming a slot keeps it; the node is asked about a board by its place
    // in the node's list.
    EXPECT_EQ(layout(records), (std::vector<std::string>{" 2:- 3:- 4:A/SN-A#0", " 1:B/SN-B#1 2:-"}));

    // The board list numbers the slots alike.
    const auto node = answeredNode();
    node->setEnclosures({{0, "QORINet QN-N6", "00E3C8C3", 3, 2}});
    const NetworkNodeRecord record = RemoteSystemBuilder::recordOf(*node);
    ASSERT_EQ(record.boards.size(), 2u);
    EXPECT_EQ(record.boards[1].slotNumber, 4);
    EXPECT_EQ(record.enclosures[0].slotRecords[2].boardName, "QD-5032");
    EXPECT_EQ(record.enclosures[0].slotRecords[2].slotNumber, 4);

    // A node that does not name it: a board's description read over the link tells it.
    node->setEnclosures({{0, "QORINet QN-N6", "00E3C8C3", 3}});
    Boards described = {board("QA-4016", 0, 0), board("QD-5032", 0, 2)};
    described[1].properties = "<Properties><SystemInfo><EnclosureNo>0</EnclosureNo><SlotNo>5</SlotNo></SystemInfo>"
                              "</Properties>";
    node->setBoards(described);
    const NetworkNodeRecord linked = RemoteSystemBuilder::recordOf(*node);
    EXPECT_EQ(linked.enclosures[0].slotRecords[0].slotNumber, 3);
    EXPECT_EQ(linked.boards[1].slotNumber, 5);
}

TEST(RemoteSystemBuilder, ALaterRecordKeepsWhatTheLinkToldForTheSameBoards)
{
    const auto node = answeredNode();
    NetworkNodeRecord before = RemoteSystemBuilder::recordOf(*node);
    before.apiVersion = "2.4.7";
    for (NetworkSlotRecord& slot : before.enclosures[0].slotRecords) {
        slot.temperaturesRead = slot.hasBoard;
        slot.baseTemperature = "30.5";
    }
    node->setBoards({board("QA-4016", 0, 0), board("QC-3108", 0, 2)}); // the third slot got another board
    NetworkNodeRecord now = RemoteSystemBuilder::recordOf(*node);
    RemoteSystemBuilder::keepReadings(before, now);

    EXPECT_EQ(now.apiVersion, "2.4.7");
    const std::vector<NetworkSlotRecord>& slots = now.enclosures[0].slotRecords;
    EXPECT_TRUE(slots[0].temperaturesRead);
    EXPECT_EQ(slots[0].baseTemperature, "30.5");
    EXPECT_FALSE(slots[1].temperaturesRead);
    EXPECT_FALSE(slots[2].temperaturesRead);
}

TEST(RemoteSystemBuilder, UntrustedCountsAndTextsAreBounded)
{
    const Enclosures enclosures = {{0, std::string(5000, 'n'), "E0", 0xFFFFFFFFu}};
    const std::vector<NetworkEnclosureRecord> records = RemoteSystemBuilder::enclosureRecords(enclosures, {});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].slotRecords.size(), RemoteSystemBuilder::kMaxSlots);
    EXPECT_LE(records[0].name.size(), 256u);
}

TEST(RemoteSystemBuilder, RecordCarriesWhatDiscoveryKnows)
{
    const auto node = answeredNode();
    const NetworkNodeRecord record = RemoteSystemBuilder::recordOf(*node);
    EXPECT_EQ(std::to_string(record.nodeId) + " " + record.name + " " + record.address + "/" + record.netMask + " " +
                  record.localAddress + "/" + record.localNetMask + " " + record.firmwareVersion + " " +
                  record.driverVersion + " " + record.serverVersion,
              "7 Bench-East 127.0.0.42/255.0.0.0 127.0.0.1/255.0.0.0 2.5.12 2.6.50112.0 2.4.7");
    EXPECT_TRUE(record.simulated && !record.connected && !record.occupied);
    EXPECT_EQ(record.connectionState, NetworkConnectionState::Established);
    ASSERT_EQ(record.boards.size(), 2u);
    EXPECT_EQ(record.boards[1].name + " " + record.boards[1].serialNumber, "QD-5032 SN-QD-5032");
    EXPECT_EQ(record.boards[1].slotNumber, 3);
    EXPECT_EQ(layout(record.enclosures),
              std::vector<std::string>{" 1:QA-4016/SN-QA-4016#0 2:- 3:QD-5032/SN-QD-5032#1"});

    // Unnamed: the record stays empty so that the list can caption the entry by id.
    node->storeName("");
    EXPECT_EQ(RemoteSystemBuilder::recordOf(*node).name, "");
}

TEST(RemoteSystemBuilder, LinkAndAccessFollowTheScanState)
{
    const auto node = answeredNode();
    node->setScanState(QORINetClientNode::kScanHeld);
    EXPECT_TRUE(RemoteSystemBuilder::recordOf(*node).occupied);
    EXPECT_EQ(RemoteSystemBuilder::recordOf(*node).connectionState, NetworkConnectionState::Established);

    node->setScanState(QORINetClientNode::kScanAnnounced);
    EXPECT_EQ(RemoteSystemBuilder::recordOf(*node).connectionState, NetworkConnectionState::Announced);

    node->setScanState(QORINetClientNode::kScanFree);
    node->setTainted();
    EXPECT_EQ(RemoteSystemBuilder::recordOf(*node).connectionState, NetworkConnectionState::Announced);

    const auto fresh = std::make_unique<QORINetClientNode>(nullptr, 8, 0, 0, false);
    EXPECT_EQ(RemoteSystemBuilder::recordOf(*fresh).connectionState, NetworkConnectionState::Unknown);
}

} // namespace
} // namespace z2e
