#include "support/model_builders.h"

#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/row_composer.h"
#include "core/slot_node.h"
#include "core/temperature_rows.h"
#include "core/tree_row_list.h"

#include <gtest/gtest.h>

#include <memory>

namespace z2e {
namespace {

using test::addEnclosure;
using test::addSlot;

TEST(RowComposer, PropertyTextJoinsUnitAndValues)
{
    ModelNode property(SystemKind::Local, NodeType::Property);
    property.name = "Temperature";
    EXPECT_EQ(RowComposer::rowText(property), "Temperature");
    property.setUnit("degC");
    property.values = {"35", "36"};
    EXPECT_EQ(RowComposer::rowText(property), "Temperature [degC]:   35; 36");
    EXPECT_EQ(RowComposer::compose(property).icon, TreeIcon::Property);

    // Common units are shared between rows, others belong to their row.
    ModelNode other(SystemKind::Local, NodeType::Property);
    other.setUnit("degC");
    EXPECT_EQ(&other.unit(), &property.unit());
    for (const char* unit : {"kOhm/sqrt(Hz)", "V", "", "degF"}) {
        other.setUnit(unit);
        EXPECT_EQ(other.unit(), unit);
    }
    EXPECT_NE(&other.unit(), &property.unit());
    EXPECT_EQ(property.unit(), "degC");
}

TEST(RowComposer, ATemperatureAboveTheSelfTestLimitIsAWarning)
{
    RootNode root(SystemKind::Local);
    SlotNode* board = addSlot(*addEnclosure(root, "QE-R8", 0, 8), 0, "QA-4008");
    const auto shown = [board](const std::string& base, const std::string& con) {
        board->clearChildren();
        TemperatureRows::add(*board, base, con);
        std::string texts;
        for (const auto& row : board->children()) {
            const ComposedRow composed = RowComposer::compose(*row);
            texts += (composed.red ? "!" : "") + composed.text + "|";
        }
        return texts;
    };
    EXPECT_EQ(shown("70.0", "N.A."), "BaseBoard:   70.0degC|ConPanel :   N.A.|");
    EXPECT_EQ(shown("70.1", ""), "!BaseBoard:   70.1degC  [WARNING: Temperature high.]|ConPanel :   N.A.|");
    EXPECT_EQ(shown("-5.5", "71"), "BaseBoard:   -5.5degC|!ConPanel :   71degC  [WARNING: Temperature high.]|");
    EXPECT_EQ(shown("warm", "1e3"), "BaseBoard:   warmdegC|!ConPanel :   1e3degC  [WARNING: Temperature high.]|");
}

TEST(RowComposer, SlotsAreNumberedFromTheEnclosureOffset)
{
    RootNode root(SystemKind::Local);
    EnclosureNode* enclosure = addEnclosure(root, "QE-R8", 1, 8);
    enclosure->number = 3;
    SlotNode* empty = addSlot(*enclosure, 2);
    SlotNode* board = addSlot(*enclosure, 4, "QA-4008");

    EXPECT_EQ(RowComposer::rowText(*enclosure), "Enclosure 3:   QE-R8");
    const ComposedRow emptyRow = RowComposer::compose(*empty);
    EXPECT_EQ(emptyRow.text, "Slot 3:   Empty");
    EXPECT_EQ(emptyRow.icon, TreeIcon::SlotEmpty);
    EXPECT_EQ(RowComposer::compose(*board).text, "Slot 5:   QA-4008");
    EXPECT_EQ(RowComposer::compose(*board).icon, TreeIcon::SlotFull);
}

TEST(RowComposer, SlotsBeyondTheUserSlotsAreMarkedOrHidden)
{
    RootNode root(SystemKind::Demo);
    EnclosureNode* enclosure = addEnclosure(root, "QE-D2", 2, 2);
    addSlot(*enclosure, 0);
    SlotNode* hiddenEmpty = addSlot(*enclosure, 2);
    hiddenEmpty->addChild(NodeType::Property, "below a hidden row");
    SlotNode* board = addSlot(*enclosure, 3, "QC-3104");

    EXPECT_EQ(RowComposer::compose(*board).text, "!! Slot 5:   QC-3104");
    EXPECT_FALSE(RowComposer::compose(*hiddenEmpty).shown);

    std::vector<std::string> texts;
    for (const TreeRow& row : TreeRowList::collect(root))
        texts.push_back(std::string(row.depth, '.') + row.row.text);
    const std::vector<std::string> expected{"Demo System", ".Enclosure 0:   QE-D2", "..Slot 2:   Empty",
                                            "..!! Slot 5:   QC-3104"};
    EXPECT_EQ(texts, expected);
}

TEST(RowComposer, RedRowsNeedUpperCaseMarkers)
{
    EXPECT_TRUE(RowComposer::isRedRow("Status:   ERROR: checksum"));
    EXPECT_TRUE(RowComposer::isRedRow("Slot 2:   QA-4008  [WARNING: Firmware old.]"));
    EXPECT_TRUE(RowComposer::isRedRow("Slot 5:   E2PROM-ERROR"));
    EXPECT_TRUE(RowComposer::isRedRow("Communication problem:   possible IP mismatch"));
    EXPECT_FALSE(RowComposer::isRedRow("Status:   error: checksum"));
    EXPECT_FALSE(RowComposer::isRedRow("Status:   Error: checksum"));
    EXPECT_FALSE(RowComposer::isRedRow("Communication problem"));
    EXPECT_FALSE(RowComposer::isRedRow("Warning: low battery"));
}

TEST(RowComposer, EnclosurePictureFollowsTheFirstMatchingFragment)
{
    EXPECT_EQ(RowComposer::enclosureIcon("QE-R16"), 10);
    EXPECT_EQ(RowComposer::enclosureIcon("QE-R8"), 9);
    // Both fragments occur; the earlier list entry decides.
    EXPECT_EQ(RowComposer::enclosureIcon("QE-X8 with QE-R8 rails"), 9);
    EXPECT_EQ(RowComposer::enclosureIcon("QE-C4"), RowComposer::enclosureIcon("QE-C"));
    EXPECT_EQ(RowComposer::enclosureIcon("QE-S1"), TreeIcon::ExtraEnclosureModel);
    // A known model wins over the network rule.
    EXPECT_EQ(RowComposer::enclosureIcon("QORINet QN-N6"), 16);
    EXPECT_EQ(RowComposer::enclosureIcon("QORINet field box"), TreeIcon::NetworkEnclosure);
    EXPECT_EQ(RowComposer::enclosureIcon("Host PC"), 15);
    EXPECT_EQ(RowComposer::enclosureIcon("Garage shelf"), TreeIcon::Enclosure);
    EXPECT_EQ(RowComposer::enclosureIcon(""), TreeIcon::Enclosure);

    // Every picture of the rule has a resource behind it.
    for (std::size_t i = 0; i < RowComposer::enclosureFragmentCount(); ++i) {
        std::string fragment;
        int icon = 0;
        ASSERT_TRUE(RowComposer::enclosureFragment(i, fragment, icon));
        EXPECT_FALSE(RowComposer::iconResourcePath(icon).empty()) << fragment;
    }
}

TEST(RowComposer, IconsByNodeType)
{
    EXPECT_EQ(RowComposer::compose(RootNode(SystemKind::Local)).icon, TreeIcon::System);
    EXPECT_EQ(RowComposer::compose(RootNode(SystemKind::Remote)).icon, TreeIcon::System);
    EXPECT_EQ(RowComposer::compose(RootNode(SystemKind::Demo)).icon, TreeIcon::DemoSystem);
    EXPECT_EQ(RowComposer::compose(RootNode(7)).icon, TreeIcon::None);

    ModelNode state(SystemKind::Remote, NodeType::SlotState);
    state.name = "Slot 2";
    state.values = {"Empty"};
    EXPECT_EQ(RowComposer::compose(state).icon, TreeIcon::SlotEmpty);
    state.values = {"QA-4016"};
    EXPECT_EQ(RowComposer::compose(state).icon, TreeIcon::SlotFull);

    ModelNode orphan(SystemKind::Local, NodeType::OrphanBoard);
    orphan.values = {"QD-5032"};
    EXPECT_EQ(RowComposer::compose(orphan).text, "Orphan:   QD-5032");
    ModelNode unknown(SystemKind::Local, 42);
    unknown.name = "x";
    EXPECT_EQ(RowComposer::compose(unknown).text, "");
    EXPECT_EQ(RowComposer::compose(unknown).icon, TreeIcon::None);
}

TEST(NodeModel, NewNodesAndClearedRoots)
{
    EXPECT_EQ(RowComposer::rowText(SlotNode(SystemKind::Demo)), "Slot -1:   Empty");

    RootNode root(SystemKind::Demo);
    ASSERT_EQ(root.boardOverview.size(), 1u); // the titles
    EnclosureNode* enclosure = addEnclosure(root, "QE-R8", 2, 8);
    addSlot(*enclosure, 0, "QA-4016");
    root.name = "renamed";
    root.clear();
    EXPECT_EQ(root.name, "Demo System");
    EXPECT_EQ(root.childCount(), 0u);
    EXPECT_TRUE(root.boardOverview.empty());

    RootNode odd(9);
    odd.name = "kept";
    odd.clear();
    EXPECT_EQ(odd.name, "kept");
}

TEST(NodeModel, ChildrenKnowTheirParentUntilTakenAway)
{
    ModelNode parent(SystemKind::Local, NodeType::Property);
    ModelNode* first = parent.addChild(NodeType::Property, "first");
    parent.addValueRow(NodeType::Property, "second", "");
    EXPECT_EQ(first->parent(), &parent);
    EXPECT_EQ(first->systemKind, SystemKind::Local);
    EXPECT_TRUE(parent.childAt(1)->values.empty());
    std::unique_ptr<ModelNode> taken = parent.takeChild(0);
    EXPECT_EQ(taken->parent(), nullptr);
    EXPECT_EQ(parent.childAt(0)->name, "second");
    EXPECT_FALSE(parent.removeChild(5));
    EXPECT_EQ(parent.childAt(5), nullptr);
}

} // namespace
} // namespace z2e
