#include "support/model_builders.h"

#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/row_composer.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "gui/models/list_view_model.h"
#include "gui/models/tree_icon_table.h"
#include "gui/models/tree_view_model.h"
#include "model_tester_guard.h"
#include "qt_printers.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QIcon>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace z2e {
namespace {

using test::addRow;
using test::addSlot;

/// One local system with every row type, including rows that must not be shown.
std::unique_ptr<RootNode> makeSystem()
{
    auto root = std::make_unique<RootNode>(SystemKind::Local);
    EnclosureNode* enclosure = test::addEnclosure(*root, "QE-R16 rack", 2, 2);
    enclosure->number = 1;
    addRow(*enclosure, NodeType::Property, "SerialNumber", {"E1000001"});
    enclosure->propertyCount = 1;
    SlotNode* board = addSlot(*enclosure, 0, "QA-4016  [WARNING: Firmware old.]");
    addRow(*board, NodeType::Temperature, "BaseBoard", {"42.5degC"});
    addRow(*board, NodeType::Property, "Range", {"35", "36"}, "degC");
    addRow(*board, NodeType::Property, "Status", {"ERROR: checksum"});
    addRow(*board, NodeType::Property, "Note", {"error: only lower case"});
    addRow(*board, NodeType::Property, "Bare", {});
    addSlot(*enclosure, 1, "");
    addSlot(*enclosure, 2, "QD-5032");
    SlotNode* hidden = addSlot(*enclosure, 3, "");
    addRow(*hidden, NodeType::Property, "NeverShown", {"x"});
    addRow(*root, NodeType::OrphanBoard, "Orphan", {"QX-1000"});
    addRow(*root, NodeType::NodeName, "Node Name", {"lab-node"});
    addRow(*root, NodeType::NodeInfo, "Node Info", {"\tWARNING: QORINet Server version old: 2.4.7"});
    addRow(*root, NodeType::CommunicationProblem, "Communication problem", {"possible IP mismatch"});
    addRow(*root, NodeType::SlotState, "Slot 2", {"Empty"});
    addRow(*root, NodeType::SlotState, "Slot 3", {"QA-4008"});
    addRow(*root, 99, "Unknown type", {"v"});
    return root;
}

struct Row {
    int depth;
    QString text;
    int icon;
    bool red;
};

void collectRows(const QAbstractItemModel& model, const QModelIndex& parent, int depth, std::vector<Row>& rows,
                 const TreeIconTable& icons)
{
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        const QVariant decoration = index.data(Qt::DecorationRole);
        int place = TreeIcon::None;
        for (int p = 0; p < TreeIconTable::size() && decoration.isValid(); ++p) {
            const QIcon* icon = icons.icon(p);
            if (icon && icon->cacheKey() == decoration.value<QIcon>().cacheKey()) {
                place = p;
                break;
            }
        }
        const QVariant foreground = index.data(Qt::ForegroundRole);
        EXPECT_TRUE(!foreground.isValid() || foreground.value<QColor>() == QColor(Qt::red));
        rows.push_back({depth, index.data(Qt::DisplayRole).toString(), place, foreground.isValid()});
        collectRows(model, index, depth + 1, rows, icons);
    }
}

// The models under Qt's model tester; its warnings fail the test.
class ModelTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(ModelTesterGuard::warnings().isEmpty()) << ModelTesterGuard::report(); }

    ModelTesterGuard guard;
};

class TreeViewModelTest : public ModelTest {
protected:
    std::vector<Row> rows(const CTreeViewModel& model)
    {
        std::vector<Row> result;
        collectRows(model, QModelIndex(), 0, result, icons);
        return result;
    }

    TreeIconTable icons;
    CTreeViewModel model{icons};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Warning};
};

TEST_F(TreeViewModelTest, IconTableHoldsAPictureForEveryPlaceTheRowsUse)
{
    EXPECT_EQ(icons.loadedCount(), 24);
    for (int place = 0; place < TreeIconTable::size(); ++place) {
        const bool used = !RowComposer::iconResourcePath(place).empty();
        EXPECT_EQ(icons.icon(place) != nullptr, used) << "place " << place;
    }
    EXPECT_EQ(icons.icon(-1), nullptr);
    EXPECT_EQ(icons.icon(TreeIconTable::size()), nullptr);
}

TEST_F(TreeViewModelTest, RowsCarryComposedTextIconAndWarningColour)
{
    const auto system = makeSystem();
    model.rebuildFrom(system.get());

    const std::vector<Row> expected = {
        {0, "Local System", TreeIcon::System, false},
        {1, "Enclosure 1:   QE-R16 rack", 10, false},
        {2, "SerialNumber:   E1000001", TreeIcon::Property, false},
        {2, "Slot 2:   QA-4016  [WARNING: Firmware old.]", TreeIcon::SlotFull, true},
        {3, "BaseBoard:   42.5degC", TreeIcon::Temperature, false},
        {3, "Range [degC]:   35; 36", TreeIcon::Property, false},
        {3, "Status:   ERROR: checksum", TreeIcon::Property, true},
        {3, "Note:   error: only lower case", TreeIcon::Property, false},
        {3, "Bare", TreeIcon::Property, false},
        {2, "Slot 3:   Empty", TreeIcon::SlotEmpty, false},
        {2, "!! Slot 4:   QD-5032", TreeIcon::SlotFull, false},
        {1, "Orphan:   QX-1000", TreeIcon::SlotFull, false},
        {1, "Node Name:   lab-node", TreeIcon::Dot, false},
        {1, "Node Info:   \tWARNING: QORINet Server version old: 2.4.7", TreeIcon::Dot, true},
        {1, "Communication problem:   possible IP mismatch", TreeIcon::Dot, true},
        {1, "Slot 2:   Empty", TreeIcon::SlotEmpty, false},
        {1, "Slot 3:   QA-4008", TreeIcon::SlotFull, false},
        {1, "", TreeIcon::None, false},
    };
    const std::vector<Row> shown = rows(model);
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].text.toStdString());
        EXPECT_EQ(shown[i].depth, expected[i].depth);
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_EQ(shown[i].icon, expected[i].icon);
        EXPECT_EQ(shown[i].red, expected[i].red);
    }
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal).toString().size());
    EXPECT_FALSE(model.data(QModelIndex(), Qt::DisplayRole).isValid());
}

TEST_F(TreeViewModelTest, ParsedBoardShowsExactlyTheComposedRowsOfItsNodes)
{
    const std::string board = R"(<Properties BoardID="0"><BoardInfo><BoardName>QC-3104</BoardName>
        <SerialNumber>10A80006</SerialNumber><FWRevision>0300</FWRevision>
        <BaseBoard><BaseModel>QBC-04</BaseModel><BaseBoardTemp Unit="degC">29.5</BaseBoardTemp></BaseBoard>
        <ConPanel><ConModel>QPC-04-BNC</ConModel><SerialNumber>10C80006</SerialNumber></ConPanel>
        <UserData>private</UserData><Hidden Visible="false">x</Hidden>
        <ChannelModuleList><ID0>QM-VOLT</ID0><ID1>QM-TC</ID1></ChannelModuleList></BoardInfo>
        <SystemInfo><EnclosureNo>0</EnclosureNo><PCIInfo><VendorId>1F3A</VendorId></PCIInfo></SystemInfo>
        <ChannelProperties><CNT0><Mode Mode="Event counting"/><MaxFrequency Unit="Hz">20000000</MaxFrequency>
        </CNT0></ChannelProperties></Properties>)";
    RootNode root(SystemKind::Local);
    auto* enclosure = static_cast<EnclosureNode*>(root.addChild(std::make_unique<EnclosureNode>(SystemKind::Local)));
    enclosure->values = {"Host PC"};
    enclosure->slotNoOffset = 2;
    enclosure->userSlotCount = 4;
    SlotNode* slot = addSlot(*enclosure, 0, "");
    slot->baseTemperature = "29.5";
    slot->conTemperature = "N.A.";
    std::string caption;
    ASSERT_EQ(DescriptionParser::parseBoardDescription(slot, board, caption), DescriptionParser::Ok);

    model.rebuildFrom(&root);

    // Walk nodes and rows side by side: every node is a row with the composed text.
    std::vector<std::pair<const ModelNode*, QModelIndex>> pending = {{&root, model.index(0, 0)}};
    std::size_t compared = 0;
    while (!pending.empty()) {
        auto [node, index] = pending.back();
        pending.pop_back();
        ASSERT_TRUE(index.isValid());
        EXPECT_EQ(model.nodeAt(index), node);
        EXPECT_EQ(index.data().toString().toStdString(), RowComposer::rowText(*node));
        ASSERT_EQ(model.rowCount(index), static_cast<int>(node->childCount()));
        for (int r = 0; r < model.rowCount(index); ++r)
            pending.emplace_back(node->childAt(static_cast<std::size_t>(r)), model.index(r, 0, index));
        ++compared;
    }
    EXPECT_GT(compared, 15u);
    EXPECT_EQ(rows(model)[1].icon, 15); // "Host PC" enclosure picture
}

TEST_F(TreeViewModelTest, RemoveRowsTouchesTheViewOnlyAndRefusesBadRanges)
{
    const auto system = makeSystem();
    model.rebuildFrom(system.get());
    const QModelIndex top = model.index(0, 0);
    const QModelIndex enclosure = model.index(0, 0, top);
    ASSERT_EQ(model.rowCount(enclosure), 4);

    EXPECT_FALSE(model.removeRows(0, 1, QModelIndex()));
    EXPECT_FALSE(model.removeRows(3, 2, enclosure));
    EXPECT_FALSE(model.removeRows(-1, 1, enclosure));
    EXPECT_TRUE(model.removeRows(1, 2, enclosure));

    ASSERT_EQ(model.rowCount(enclosure), 2);
    EXPECT_EQ(model.index(1, 0, enclosure).data().toString(), "!! Slot 4:   QD-5032");
    EXPECT_EQ(model.parent(model.index(1, 0, enclosure)), enclosure);
    EXPECT_EQ(system->childAt(0)->childCount(), 5u);
}

TEST_F(TreeViewModelTest, RowsShowTheirNodesAsMadeUntilRefreshedAndKeepTheirChildrenWhenMoved)
{
    const auto system = makeSystem();
    model.rebuildFrom(system.get());
    const QModelIndex enclosure = model.index(0, 0, model.index(0, 0));
    const QModelIndex board = model.index(1, 0, enclosure);
    ASSERT_EQ(model.rowCount(board), 5);
    const ModelNode* boardNode = model.nodeAt(board);
    ModelNode* range = boardNode->childAt(1);
    ModelNode* status = boardNode->childAt(2);

    // Showing a row does not read its node: a tool may be rewriting it on another thread.
    status->values = {"OK"};
    EXPECT_EQ(model.index(2, 0, board).data().toString(), "Status:   ERROR: checksum");
    EXPECT_TRUE(model.index(2, 0, board).data(Qt::ForegroundRole).isValid());

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    // Texts growing and shrinking in turn, so that their shared buffer is reused and packed.
    // Two of them, so that packing moves one past the other.
    ModelNode* note = boardNode->childAt(3);
    for (std::size_t length : {0, 40, 3, 90, 1, 200, 0, 7}) {
        range->values = {std::string(length, 'x')};
        note->values = {std::string(200 - length, 'y')};
        model.refreshRows(board);
        for (int row = 0; row < 5; ++row) {
            const ModelNode* node = boardNode->childAt(static_cast<std::size_t>(row));
            EXPECT_EQ(model.index(row, 0, board).data().toString().toStdString(), RowComposer::rowText(*node));
        }
    }
    EXPECT_FALSE(model.index(2, 0, board).data(Qt::ForegroundRole).isValid());
    EXPECT_GE(changed.count(), 16);

    ASSERT_TRUE(model.removeRows(0, 1, enclosure));
    const QModelIndex moved = model.index(0, 0, enclosure);
    EXPECT_EQ(model.nodeAt(moved), boardNode);
    ASSERT_EQ(model.rowCount(moved), 5);
    EXPECT_EQ(model.parent(model.index(4, 0, moved)), moved);
    EXPECT_EQ(model.index(4, 0, moved).data().toString(), "Bare");
}

TEST_F(TreeViewModelTest, RebuildShowsTheRootOfTheChosenSystemAndRefusesOtherModes)
{
    SystemModel system(false);
    system.demoRoot().addChild(NodeType::Property, "DemoOnly");
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    ASSERT_TRUE(model.rebuild(system, CTreeViewModel::DemoSystem));
    EXPECT_EQ(model.index(0, 0).data().toString(), "Demo System");
    EXPECT_EQ(model.index(0, 0, model.index(0, 0)).data().toString(), "DemoOnly");
    EXPECT_EQ(model.nodeAt(model.index(0, 0)), &system.demoRoot());
    for (int mode : {0, 4, -1}) {
        EXPECT_FALSE(model.rebuild(system, mode));
        EXPECT_EQ(model.index(0, 0).data().toString(), "Demo System");
        EXPECT_EQ(model.rowCount(model.index(0, 0)), 1);
    }
    EXPECT_EQ(resets.count(), 1);
    ASSERT_TRUE(model.rebuild(system, CTreeViewModel::LocalSystem));
    EXPECT_EQ(model.index(0, 0).data().toString(), "Local System");
    ASSERT_TRUE(model.rebuild(system, CTreeViewModel::RemoteSystem));
    EXPECT_EQ(model.index(0, 0).data().toString(), "Remote System");
    EXPECT_EQ(rows(model)[0].icon, TreeIcon::System);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

using ListViewModelTest = ModelTest;

TEST_F(ListViewModelTest, ShowsTheOwnersTextsAndNothingElseAndItsChangesThroughAReset)
{
    QStringList texts = {"QA-4008", "QC-3104", "QD-5032"};
    CListViewModel model(&texts);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.index(1).data().toString(), "QC-3104");
    EXPECT_FALSE(model.index(1).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(1).data(Qt::UserRole + 1).isValid());
    EXPECT_FALSE(model.index(3).isValid() || model.index(-1).isValid() || model.index(0, 1).isValid());
    EXPECT_EQ(model.rowCount(model.index(0)), 0);
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal).isValid());

    texts << "four";
    model.refresh();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.index(3).data().toString(), "four");
    model.setTexts(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0).isValid());
    EXPECT_EQ(resets.count(), 2);
}

} // namespace
} // namespace z2e
