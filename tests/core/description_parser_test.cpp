#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/row_composer.h"
#include "core/slot_node.h"
#include "core/tree_row_list.h"
#include "xpugi/untrusted_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

namespace z2e {
namespace {

// Builds a property subtree of `xml` below a fresh parent of the given type and returns the
// rows below that parent as "depth-indented" texts.
std::vector<std::string> propertyRows(const std::string& xml, std::uint32_t parentType = NodeType::BoardSlot)
{
    pugi::xml_document document;
    EXPECT_TRUE(DescriptionParser::parseXml(xml, document));
    ModelNode parent(SystemKind::Local, parentType);
    ModelNode* node = parent.addChild(std::make_unique<ModelNode>(SystemKind::Local, NodeType::Property));
    if (DescriptionParser::buildPropertyNode(*node, document.document_element()) != DescriptionParser::Ok)
        return {"<dropped>"};
    std::vector<std::string> rows;
    for (const TreeRow& row : TreeRowList::collect(*node))
        rows.push_back(std::string(row.depth, '.') + row.row.text);
    return rows;
}

std::unique_ptr<SlotNode> slotOf(std::uint32_t kind)
{
    auto slot = std::make_unique<SlotNode>(kind);
    slot->baseTemperature = "42.5";
    slot->conTemperature = "N.A.";
    return slot;
}

const char* const kBoard = R"(<Properties BoardID="0">
  <BoardInfo>
    <BoardName>QA-4008.BNC</BoardName>
    <SerialNumber>10A80001</SerialNumber>
    <BaseBoard><BaseModel>QBA-08</BaseModel><BaseVersion>3</BaseVersion><SerialNumber>10A80001</SerialNumber>
      <BaseCal><Date>2023-06-20</Date><BaseBoardTemp>23.5</BaseBoardTemp></BaseCal></BaseBoard>
    <ConPanel><ConModel>QPA-08-BNC</ConModel><SerialNumber>10C80001</SerialNumber><FWRevision>7</FWRevision>
      <ConTest><Passed>true</Passed></ConTest></ConPanel>
    <ChannelModuleList><ID0>MOD-V10</ID0><ID1>MOD-TC</ID1></ChannelModuleList>
  </BoardInfo>
  <SystemInfo><EnclosureNo>1</EnclosureNo><ChnNoStart>40</ChnNoStart>
    <PCIInfo><BusNo>4</BusNo><VendorId>1F3A</VendorId></PCIInfo></SystemInfo>
  <UserData>secret</UserData>
</Properties>)";

TEST(PropertyNames, RenamingRulesInTheirOrder)
{
    ModelNode enclosure(SystemKind::Local, NodeType::Enclosure);
    ModelNode slot(SystemKind::Local, NodeType::BoardSlot);
    ModelNode property(SystemKind::Local, NodeType::Property);
    property.name = "ConPanel";
    ModelNode root(SystemKind::Local, NodeType::Root);

    EXPECT_EQ(DescriptionParser::propertyName("VendorId", "", &property), "PCIVendorId");
    EXPECT_EQ(DescriptionParser::propertyName("PCIDeviceID", "", &property), "PCIDeviceID");
    EXPECT_EQ(DescriptionParser::propertyName("BusNo", "", &slot), "PCIBusNo");
    // Identification words are tested before the location words.
    EXPECT_EQ(DescriptionParser::propertyName("SystemInfoDevNo", "", &slot), "PCISystemInfoDevNo");
    EXPECT_EQ(DescriptionParser::propertyName("SystemInfo", "", &enclosure), "EnclosureInfo");
    EXPECT_EQ(DescriptionParser::propertyName("SystemInfo", "", &slot), "BoardLocation");
    EXPECT_EQ(DescriptionParser::propertyName("SystemInfo", "", &property), "Exclude");
    EXPECT_EQ(DescriptionParser::propertyName("PCIInfo", "", &slot), "BoardLocation");
    EXPECT_EQ(DescriptionParser::propertyName("ConTest", "", &property), "Exclude");
    EXPECT_EQ(DescriptionParser::propertyName("EthInfo", "kept", &root), "kept");
    EXPECT_EQ(DescriptionParser::propertyName("EnclosureInfo", "", &enclosure), "");
    EXPECT_EQ(DescriptionParser::propertyName("FWRevision", "", &property), "Exclude");
    property.name = "BoardInfo";
    EXPECT_EQ(DescriptionParser::propertyName("FWRevision", "", &property), "FWRevision");

    // Every word counts wherever it stands in the name.
    for (const char* word : {"VendorId", "VendorID", "DeviceId", "DeviceID", "DevNo", "BusNo"})
        EXPECT_EQ(DescriptionParser::propertyName(std::string("x") + word + "y", "", &root),
                  std::string("PCIx") + word + "y");
    for (const char* word : {"PCIInfo", "EthInfo", "SWInfo", "ChnNoStart", "BoardCNT", "ARef", "ConCal", "ConTest",
                             "ConSelfCal", "EnclosureInfo"})
        EXPECT_EQ(DescriptionParser::propertyName(std::string("x") + word, "", &slot), "BoardLocation") << word;
    EXPECT_EQ(DescriptionParser::propertyName("ConSelf", "", &slot), "ConSelf");
}

TEST(PropertySubtree, ValuesIdentifiersModesAndHiddenRows)
{
    const std::vector<std::string> rows = propertyRows(R"(<Features>
        <Range Unit="V">10</Range>
        <Mode Mode="Event counting"/>
        <Hidden Visible="false">x</Hidden>
        <Shown Visible="true">y</Shown>
        <UserData>private</UserData>
        <List><ID0>alpha</ID0><ID1>beta</ID1></List>
        <Location><ChnNoStart>40</ChnNoStart><Slot>3</Slot></Location>
        <SystemInfo><EnclosureNo>2</EnclosureNo><PCIInfo><DevNo>5</DevNo></PCIInfo></SystemInfo>
      </Features>)");
    const std::vector<std::string> expected{
        "Features",  ".Range [V]:   10", ".Mode:   Event counting", ".Shown:   y",    ".List:   alpha; beta",
        ".Location", "..Slot:   3",      ".EnclosureNo:   2",       ".PCIDevNo:   5",
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(propertyRows("<UserData>x</UserData>"), std::vector<std::string>{"<dropped>"});
}

TEST(PropertySubtree, DeepNestingIsCutOffWithoutCrashing)
{
    std::string xml;
    for (int i = 0; i < 20000; ++i)
        xml += "<a>";
    for (int i = 0; i < 20000; ++i)
        xml += "</a>";
    EXPECT_EQ(propertyRows(xml).size(), static_cast<std::size_t>(DescriptionParser::kMaxDepth) + 1);
}

TEST(EepromState, FromStatusHeaderAndBackupFile)
{
    using S = EepromBackupState;
    EXPECT_EQ(DescriptionParser::eepromBackupState("ERROR", "OK", "/backup/b.xml"), S::Restorable);
    EXPECT_EQ(DescriptionParser::eepromBackupState("OK", "OK", "/backup/b.xml"), S::Healthy);
    EXPECT_EQ(DescriptionParser::eepromBackupState("ERROR", "OK", ""), S::NoBackup);
    EXPECT_EQ(DescriptionParser::eepromBackupState("", "OK", "/backup/b.xml"), S::NoBackup);
    EXPECT_EQ(DescriptionParser::eepromBackupState("ERROR", "ERROR_NO_HEADER", "/backup/b.xml"), S::NoBackup);
    EXPECT_EQ(DescriptionParser::eepromBackupState("ERROR", "OK", "ERROR_CONEEPROM_NO_BACKUP_FILE"), S::NoBackup);
    EXPECT_EQ(DescriptionParser::eepromBackupState("ERROR", "OK", "ERROR_BASEEEPROM_NO_BACKUP_FILE"), S::NoBackup);
}

TEST(FirmwareSuffix, FromCheckStatusAndRevision)
{
    EXPECT_EQ(DescriptionParser::firmwareWarningSuffix(-260902, "doc", "0300"), "  [WARNING: Firmware newer.]");
    EXPECT_EQ(DescriptionParser::firmwareWarningSuffix(-260901, "doc", "0251"), "  [WARNING: Firmware old.]");
    EXPECT_EQ(DescriptionParser::firmwareWarningSuffix(202, "doc", "0251"), "  [WARNING: Firmware Unknown.]");
    EXPECT_EQ(DescriptionParser::firmwareWarningSuffix(0, "", "0251"), "  [WARNING: Firmware Unknown.]");
    EXPECT_EQ(DescriptionParser::firmwareWarningSuffix(0, "doc", "CFFF"), "");
    EXPECT_EQ(DescriptionParser::firmwareWarningSuffix(0, "doc", "D000"), "  [WARNING: Firmware Unknown.]");
}

TEST(BoardDescription, LocalBoardRowsAndFacts)
{
    auto slot = slotOf(SystemKind::Local);
    slot->firmwareWarning = "  [WARNING: Firmware old.]";
    std::string caption;
    ASSERT_EQ(DescriptionParser::parseBoardDescription(slot.get(), kBoard, caption), DescriptionParser::Ok);
    EXPECT_EQ(caption, "QA-4008.BNC  [WARNING: Firmware old.]");
    EXPECT_EQ(slot->values, std::vector<std::string>{caption});
    EXPECT_EQ(slot->nodeType, NodeType::BoardSlot);
    EXPECT_EQ(slot->serialNumber + " " + slot->baseModel + " " + slot->conSerialNumber, "10A80001 QBA-08 10C80001");
    EXPECT_EQ(slot->baseEepromState, EepromBackupState::Healthy);

    std::vector<std::string> top;
    for (std::size_t i = 0; i < slot->childCount(); ++i)
        top.push_back(RowComposer::rowText(*slot->childAt(i)));
    const std::vector<std::string> expected{"BaseBoard:   42.5degC", "ConPanel :   N.A.", "BoardInfo",
                                            "ChannelModuleList:   MOD-V10; MOD-TC", "BoardLocation"};
    EXPECT_EQ(top, expected);
    EXPECT_TRUE(slot->childAt(0)->unit().empty());

    std::vector<std::string> all;
    for (const TreeRow& row : TreeRowList::collect(*slot))
        all.push_back(row.row.text);
    for (const char* gone : {"ConTest", "FWRevision", "UserData", "ChnNoStart", "Passed:   true"})
        EXPECT_EQ(std::count_if(all.begin(), all.end(), [&](const std::string& t) { return t.find(gone) == 0; }), 0)
            << gone;
    EXPECT_NE(std::find(all.begin(), all.end(), "PCIVendorId:   1F3A"), all.end());
}

TEST(BoardDescription, DemoBoardsHaveNoTemperaturesAndNoSuffix)
{
    auto slot = slotOf(SystemKind::Demo);
    slot->firmwareWarning = "  [WARNING: Firmware old.]";
    std::string caption;
    ASSERT_EQ(DescriptionParser::parseBoardDescription(slot.get(), kBoard, caption), DescriptionParser::Ok);
    EXPECT_EQ(caption, "QA-4008.BNC");
    EXPECT_EQ(slot->childAt(0)->name, "BoardInfo");
}

TEST(BoardDescription, EepromStatesOnlyForFaultyCaptions)
{
    const std::string faulty = R"(<Properties><BoardInfo><BoardName>QN-6204 E2PROM-ERROR</BoardName>
        <E2PromStatus><BaseE2Prom><Status>ERROR_CHECKSUM</Status><HeaderStatus>OK</HeaderStatus>
        <AutoBackupFile>/b/base.xml</AutoBackupFile></BaseE2Prom></E2PromStatus></BoardInfo></Properties>)";
    auto slot = slotOf(SystemKind::Local);
    std::string caption;
    ASSERT_EQ(DescriptionParser::parseBoardDescription(slot.get(), faulty, caption), DescriptionParser::Ok);
    EXPECT_EQ(slot->baseEepromState, EepromBackupState::Restorable);
    EXPECT_EQ(slot->conEepromState, EepromBackupState::NoBackup); // its texts are missing
    EXPECT_TRUE(RowComposer::compose(*slot).red);

    // The same status below a healthy caption is not looked at.
    std::string healthy = faulty;
    healthy.replace(healthy.find(" E2PROM-ERROR"), 13, "");
    auto other = slotOf(SystemKind::Local);
    ASSERT_EQ(DescriptionParser::parseBoardDescription(other.get(), healthy, caption), DescriptionParser::Ok);
    EXPECT_EQ(other->baseEepromState, EepromBackupState::Healthy);
}

TEST(BoardDescription, BadInputKeepsOnlyTheTemperatureRows)
{
    std::string caption = "old";
    EXPECT_EQ(DescriptionParser::parseBoardDescription(nullptr, kBoard, caption), DescriptionParser::MissingInput);
    auto slot = slotOf(SystemKind::Local);
    EXPECT_EQ(DescriptionParser::parseBoardDescription(slot.get(), "", caption), DescriptionParser::MissingInput);
    EXPECT_EQ(slot->childCount(), 0u);

    // A driver or node that sends millions of tiny elements is not believed either.
    std::string crowded = kBoard;
    std::string tiny;
    for (std::size_t i = 0; i < xpugi::kMaxNodes; ++i)
        tiny += "<a/>";
    crowded.insert(crowded.find("secret"), tiny);
    for (const std::string& text : {std::string("<Properties><BoardInfo>"), std::string("no xml at all"),
                                    std::string("<Properties><Other/></Properties>"), crowded}) {
        auto bad = slotOf(SystemKind::Local);
        caption = "old";
        EXPECT_EQ(DescriptionParser::parseBoardDescription(bad.get(), text, caption), DescriptionParser::Unparsable);
        EXPECT_EQ(caption, "");
        EXPECT_EQ(bad->nodeType, NodeType::EmptySlot);
        EXPECT_EQ(bad->childCount(), 2u) << text.substr(0, 40);
    }
}

TEST(BoardDescription, BusRatesAreTheWholeNumbersTheChannelPropertiesGive)
{
    const std::string text = "<Properties><BoardInfo/><ChannelProperties>"
                             "<CAN0><BitRate Unit=\"bit/s\"> 250000 </BitRate></CAN0>"
                             "<CAN1><BitRate>fast</BitRate></CAN1>"
                             "<CAN2><BitRate>-500000</BitRate></CAN2>"
                             "<CAN3><BitRate>1000000001</BitRate></CAN3>"
                             "<CAN4><BitRate>500000</BitRate></CAN4>"
                             "<UART1><BaudRate>4000000</BaudRate></UART1>"
                             "</ChannelProperties></Properties>";
    const DescriptionParser::BusRates rates = DescriptionParser::busRates(text);
    // Only a whole number of bit/s up to 10^9 is a rate; a fifth channel is no board's.
    EXPECT_EQ(rates.can, (std::array<std::uint32_t, 4>{250000, 0, 0, 0}));
    EXPECT_EQ(rates.uart, (std::array<std::uint32_t, 4>{0, 4000000, 0, 0}));
    const DescriptionParser::BusRates none = DescriptionParser::busRates("<Properties><CAN0>");
    EXPECT_EQ(none.can, (std::array<std::uint32_t, 4>{}));
}

TEST(BoardDescription, OverviewRowByPath)
{
    pugi::xml_document document;
    ASSERT_TRUE(DescriptionParser::parseXml(kBoard, document));
    const RootNode::OverviewRow row = DescriptionParser::overviewRow(document.document_element(), "4052", "4650");
    std::string picked;
    for (std::size_t column : {0, 3, 5, 7, 8, 13, 15, 16, 19, 20})
        picked += row[column] + "|";
    EXPECT_EQ(picked, "QA-4008.BNC|QBA-08|4052|2023-06-20|23.5|QPA-08-BNC|4650|10C80001|true||");

    // A parsed slot keeps what the tools read later, with the slot's own revisions.
    auto slot = slotOf(SystemKind::Local);
    slot->baseRevision = "4052";
    slot->conRevision = "4650";
    std::string caption;
    std::string named = kBoard;
    named.replace(named.find("<SerialNumber>"), 0, "<DisplayName> QA-4008 </DisplayName>");
    ASSERT_EQ(DescriptionParser::parseBoardDescription(slot.get(), named, caption), DescriptionParser::Ok);
    EXPECT_TRUE(slot->described.parsed);
    EXPECT_EQ(slot->described.displayName, "QA-4008");
    EXPECT_EQ(DescriptionParser::overviewRow(*slot), row);
    EXPECT_EQ(DescriptionParser::parseBoardDescription(slot.get(), "<Properties/>", caption),
              DescriptionParser::Unparsable);
    EXPECT_FALSE(slot->described.parsed);
    EXPECT_EQ(DescriptionParser::overviewRow(*slot)[0], "");
}

TEST(EnclosureDescription, FillsFactsAndUserSlots)
{
    const std::string description = R"(<Properties><EnclosureInfo><Name>QE-P4</Name>
        <SerialNumber>00B1E204</SerialNumber><UserData>Van 2</UserData><UserSlotCnt>4</UserSlotCnt>
        <SlotNoOffset>2</SlotNoOffset><EncType>3</EncType><Options><FanMode>1</FanMode></Options>
        </EnclosureInfo></Properties>)";
    EnclosureNode enclosure(SystemKind::Local);
    auto early = std::make_unique<SlotNode>(SystemKind::Local);
    early->index = 0;
    enclosure.addChild(std::move(early));
    ASSERT_EQ(DescriptionParser::parseEnclosureDescription(&enclosure, 1, description,
                                                           "<KEY EncName=\"0000E204\"><Name>x</Name></KEY>", true),
              DescriptionParser::Ok);
    EXPECT_EQ(std::tie(enclosure.number, enclosure.values, enclosure.userData, enclosure.typeCode, enclosure.encType),
              std::make_tuple(1, std::vector<std::string>{"QE-P4"}, std::string("Van 2"), 0xE204u, 3u));
    ASSERT_EQ(enclosure.options.size(), 1u);
    EXPECT_EQ(enclosure.options[0].name, "FanMode");
    EXPECT_TRUE(enclosure.locked);
    ASSERT_EQ(enclosure.slotCount(), 4u);
    EXPECT_EQ(enclosure.childAt(enclosure.propertyCount - 1)->nodeType, NodeType::Property);
    for (std::size_t i = 0; i < enclosure.propertyCount; ++i)
        EXPECT_NE(enclosure.childAt(i)->name, "UserData");
    EXPECT_EQ(RowComposer::rowText(*enclosure.slotAt(3)), "Slot 5:   Empty");
    EXPECT_FALSE(enclosure.slotAt(3)->beyondUserSlots);
}

TEST(EnclosureDescription, SlotsPastTheUserCountAndHostileCounts)
{
    const char* twoSlots = "<Properties><EnclosureInfo><Name>QE-D2</Name><UserSlotCnt>2</UserSlotCnt>"
                           "<SlotNoOffset>2</SlotNoOffset></EnclosureInfo></Properties>";
    EnclosureNode enclosure(SystemKind::Demo);
    for (int i = 0; i < 3; ++i) {
        auto slot = std::make_unique<SlotNode>(SystemKind::Demo);
        slot->index = i;
        enclosure.addChild(std::move(slot));
    }
    DescriptionParser::parseEnclosureDescription(&enclosure, 0, twoSlots, "", false);
    ASSERT_EQ(enclosure.slotCount(), 3u);
    EXPECT_FALSE(enclosure.slotAt(1)->beyondUserSlots);
    EXPECT_TRUE(enclosure.slotAt(2)->beyondUserSlots);

    EnclosureNode huge(SystemKind::Demo);
    DescriptionParser::parseEnclosureDescription(
        &huge, 0, "<EnclosureInfo><UserSlotCnt>2000000000</UserSlotCnt></EnclosureInfo>", "", false);
    EXPECT_EQ(huge.slotCount(), static_cast<std::size_t>(DescriptionParser::kMaxSlots));

    EnclosureNode broken(SystemKind::Demo);
    EXPECT_EQ(DescriptionParser::parseEnclosureDescription(&broken, 0, "<EnclosureInfo>", "", false),
              DescriptionParser::Unparsable);
    EXPECT_EQ(broken.slotCount(), 0u);
    EXPECT_EQ(DescriptionParser::parseEnclosureDescription(nullptr, 0, twoSlots, "", false),
              DescriptionParser::MissingInput);
}

} // namespace
} // namespace z2e
