// The inventory from a hand-made tree: what it lists of a board, and that its JSON and HTML stay
// well-formed whatever bytes the driver's texts hold.

#include "support/report_archive.h"
#include "support/site.h"

#include "core/enclosure_node.h"
#include "core/node_types.h"
#include "core/slot_node.h"
#include "tools/system_inventory.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <filesystem>
#include <sstream>

namespace z2e {
namespace {

namespace pt = boost::property_tree;
using test::validUtf8Text;

TEST(SystemInventory, ListsBoardsWithVerdictAndWarningsInWellFormedJsonAndHtml)
{
    RootNode root(SystemKind::Local);
    auto enclosure = std::make_unique<EnclosureNode>(SystemKind::Local);
    enclosure->values = {"QE-R8 \xff\xc0\xaf"}; // not UTF-8
    enclosure->serialNumber = "00B1E108";
    enclosure->options = {{"FanMode", "<2>"}};
    auto slot = std::make_unique<SlotNode>(SystemKind::Local);
    slot->nodeType = NodeType::BoardSlot;
    slot->index = 1;
    slot->boardIndex = 0;
    slot->values = {"QA-4016"};
    slot->serialNumber = "10A80001";
    slot->baseTemperature = "41.5";
    slot->baseEepromState = EepromBackupState::Restorable;
    slot->addValueRow(NodeType::Property, "Status", "ERROR: <broken> & \"gone\"");
    enclosure->addChild(std::move(slot));
    root.addChild(std::move(enclosure));

    test::ScratchFolder journal("z2e-inventory");
    test::writeFile(
        journal / "history.jsonl",
        "{\"time\":\"t1\",\"serial\":\"10A80001\",\"operation\":\"selftest\",\"result\":0,\"status\":\"PASSED\"}\n"
        "{\"time\":\"t2\",\"serial\":\"10A80001\",\"operation\":\"selftest-factory\",\"result\":0,"
        "\"status\":\" FAILED!!\"}\n"
        "{\"time\":\"t3\",\"serial\":\"10A80001\",\"operation\":\"firmware-update\",\"result\":3000,"
        "\"status\":\"done\"}\n");
    InventorySource source{"local", &root, 0, {{0, "0254"}}};
    const Inventory inventory =
        SystemInventory::gather({source}, {{"ZAMO2Explorer", "", "2.5.48441.00", "x"}}, journal.path());

    const std::string json = SystemInventory::toJson(inventory);
    EXPECT_TRUE(validUtf8Text(json)) << json;
    pt::ptree parsed;
    std::istringstream text(json);
    ASSERT_NO_THROW(pt::read_json(text, parsed)) << json;
    const pt::ptree& enclosureJson = parsed.get_child("systems").front().second.get_child("enclosures").front().second;
    EXPECT_EQ(enclosureJson.get<std::string>("name"), "QE-R8 \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
    const pt::ptree& board = enclosureJson.get_child("boards").front().second;
    EXPECT_EQ(board.get<std::string>("serial"), "10A80001");
    EXPECT_EQ(board.get<std::string>("firmware.latest"), "0254");
    EXPECT_EQ(board.get<std::string>("eeprom.base"), "faulty, backup present");
    EXPECT_EQ(board.get<std::string>("lastSelfTest.time"), "t2");
    EXPECT_EQ(board.get<std::string>("lastSelfTest.verdict"), "FAILED!!");
    ASSERT_EQ(board.get_child("warnings").size(), 1u);
    EXPECT_EQ(board.get_child("warnings").front().second.get_value<std::string>(),
              "Status:   ERROR: <broken> & \"gone\"");
    EXPECT_EQ(parsed.get<std::size_t>("journal.lines"), 3u);

    const std::string html = SystemInventory::toHtml(inventory);
    EXPECT_TRUE(validUtf8Text(html));
    EXPECT_NE(html.find("ERROR: &lt;broken&gt; &amp; &quot;gone&quot;"), std::string::npos) << html;
    EXPECT_NE(html.find("FanMode = &lt;2&gt;"), std::string::npos) << html;
    EXPECT_EQ(html.find("<broken>"), std::string::npos);
}

} // namespace
} // namespace z2e
