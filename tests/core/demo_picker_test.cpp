// The demo editor's pieces that need no driver: the model listings, the description
// requests, and the texts the window shows.

#include "core/board_list_item.h"
#include "core/demo_fragment_builder.h"
#include "core/demo_status.h"
#include "core/demo_texts.h"
#include "core/enclosure_list_item.h"
#include "core/model_picker.h"
#include "core/node_types.h"

#include <gtest/gtest.h>

#include <string>

namespace z2e {
namespace {

const char* const kBoardListing =
    "<BoardKey2Name>"
    "<Model Name=\"QC-3104\" TypeCode=\"31\" Channels=\"4\" Family=\"Counter/timer\">"
    "<KEY BaseModel=\"QBC-04\" BaseVersion=\"2\"><FamilyName>QC</FamilyName></KEY></Model>"
    "<Model Name=\"QA-4016\" Family=\"Analog input\"/>"
    "<Model Family=\"Analog input\"><KEY BaseModel=\"QBA-08\"/></Model>"
    "<Model Name=\"QA-4008.BNC\" Family=\"Analog input\"><KEY BaseModel=\"QBA-08\"/></Model>"
    "</BoardKey2Name>";

TEST(DemoModelPicker, ListingsBecomeEntriesWithTheirKeys)
{
    ModelPicker::ItemList items;
    ASSERT_TRUE(ModelPicker::parseBoardListing(kBoardListing, items));
    ASSERT_EQ(items.size(), 2u) << "models without name or KEY are left out";
    const auto* board = dynamic_cast<const BoardListItem*>(items[0].get());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->kind, PickerKind::Board);
    EXPECT_EQ(board->name + " " + board->family, "QC-3104 Counter/timer");
    EXPECT_EQ(board->description, "<KEY BaseModel=\"QBC-04\" BaseVersion=\"2\"><FamilyName>QC</FamilyName></KEY>");

    ASSERT_TRUE(ModelPicker::parseEnclosureListing(
        "<EnclosureKey2Name><Model Name=\"QE-D2\" EncType=\"5\" Slots=\"2\"><KEY EncName=\"0000E402\"><Name>QE-D2</Name>"
        "</KEY></Model></EnclosureKey2Name>",
        items));
    ASSERT_EQ(items.size(), 1u);
    const auto* enclosure = dynamic_cast<const EnclosureListItem*>(items[0].get());
    ASSERT_NE(enclosure, nullptr);
    EXPECT_EQ(enclosure->kind, PickerKind::Enclosure);
    EXPECT_EQ(enclosure->encName + " " + enclosure->slotCount, "0000E402 2");

    // The wrong listing, no XML or an empty answer give no entries.
    for (const char* answer : {kBoardListing, "<EnclosureKey2Name><Model", ""}) {
        EXPECT_FALSE(ModelPicker::parseEnclosureListing(answer, items)) << answer;
        EXPECT_TRUE(items.empty());
    }

    std::string huge = "<BoardKey2Name>";
    for (std::size_t i = 0; i < ModelPicker::kMaxItems + 10; ++i)
        huge += "<Model Name=\"M" + std::to_string(i) + "\"><KEY/></Model>";
    ASSERT_TRUE(ModelPicker::parseBoardListing(huge + "</BoardKey2Name>", items));
    EXPECT_EQ(items.size(), ModelPicker::kMaxItems);
}

TEST(DemoModelPicker, ListKindFollowsTheSelectedNode)
{
    EXPECT_EQ(ModelPicker::listKindFor(NodeType::Root), PickerKind::Enclosure);
    EXPECT_EQ(ModelPicker::listKindFor(NodeType::Enclosure), PickerKind::Enclosure);
    EXPECT_EQ(ModelPicker::listKindFor(NodeType::BoardSlot), PickerKind::Board);
    EXPECT_EQ(ModelPicker::listKindFor(NodeType::EmptySlot), PickerKind::Board);
    for (std::uint32_t type : {0u, 5u, 6u, 7u, 8u, 9u, 10u, 11u})
        EXPECT_EQ(ModelPicker::listKindFor(type), 0u) << type;
}

TEST(DemoFragmentBuilder, RequestsCarryWhatTheDriverNeeds)
{
    std::string fragment = "untouched";
    EXPECT_EQ(DemoFragmentBuilder::enclosure("<KEY EncName=", "", "", fragment), DemoFragmentBuilder::kKeyUnusable);
    EXPECT_EQ(fragment, "untouched");

    ASSERT_EQ(DemoFragmentBuilder::enclosure("<Model EncName=\"0000E402\"/>", "", "bench", fragment), 0);
    EXPECT_EQ(fragment, "<SimulatedEnclosures><IDDEMO><KEY EncName=\"0000E402\"/><UserData>bench</UserData></IDDEMO>"
                        "</SimulatedEnclosures>");

    SimulatedEnclosureEntry stored;
    stored.key = "<KEY EncName=\"0000E108\"/>";
    stored.serialNumber = "00D0E108";
    stored.encType = 1;
    stored.encVersion = 2;
    stored.options = {{"FanMode", "0"}, {"bad name", "1"}};
    ASSERT_EQ(DemoFragmentBuilder::storedEnclosure(stored, fragment), 0);
    EXPECT_EQ(fragment, "<SimulatedEnclosures><IDDEMO><KEY EncName=\"0000E108\"/><SerialNumber>00D0E108</SerialNumber>"
                        "<EncType>1</EncType><EncVersion>2</EncVersion><FanMode>0</FanMode></IDDEMO>"
                        "</SimulatedEnclosures>");

    SimulatedBoardEntry board;
    board.key = "<KEY BaseModel=\"QBA-08M\"/>";
    ASSERT_EQ(DemoFragmentBuilder::board(board, fragment), 0);
    EXPECT_EQ(fragment, "<SimulatedBoards><IDDEMO><KEY BaseModel=\"QBA-08M\"/><FWRevision></FWRevision>"
                        "<SerialNumber></SerialNumber></IDDEMO></SimulatedBoards>");
    board.firmwareRevision = "0284";
    board.channelModules = {{"AI0", "QM-IEPE"}, {"<AI1>", "QM-TC"}};
    ASSERT_EQ(DemoFragmentBuilder::board(board, fragment), 0);
    EXPECT_NE(fragment.find("<FWRevision>0284</FWRevision>"), std::string::npos);
    EXPECT_NE(fragment.find("<ChannelModules><AI0>QM-IEPE</AI0></ChannelModules>"), std::string::npos);
}

// Operations without a text of their own show none; unknown codes still say which.
TEST(DemoTexts, ProgressStatusBarAndMessages)
{
    EXPECT_NE(DemoTexts::progressText(DemoOperation::PutBoard), "");
    EXPECT_EQ(DemoTexts::progressText(DemoOperation::SaveDemo), "");
    EXPECT_NE(DemoTexts::statusBarText(DemoOperation::ImportHardware, DemoStatus::HardwareImportFailed), "");
    EXPECT_EQ(DemoTexts::statusBarText(DemoOperation::ImportHardware, DemoStatus::Ok), "");
    EXPECT_EQ(demoStatusText(4242), "Unknown error encountered!\r\nError code 4242.");
}

} // namespace
} // namespace z2e
