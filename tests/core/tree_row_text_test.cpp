#include "core/model_node.h"
#include "core/node_types.h"
#include "core/tree_row_list.h"
#include "core/tree_row_text.h"

#include <gtest/gtest.h>

#include <string>

namespace z2e {
namespace {

// Local System
//   Enclosure 0:   QE-R16     (values: numbers, texts that only look like numbers, a warning)
//   Enclosure 1:   QE-D2      (two values, a comma, a second line)
class TreeRowTextTest : public ::testing::Test {
protected:
    TreeRowTextTest()
    {
        ModelNode* first = enclosure(0, "QE-R16");
        first->addValueRow(NodeType::Property, "Count", "42");
        first->addValueRow(NodeType::Temperature, "Offset", "-1.5")->setUnit("V");
        first->addValueRow(NodeType::Property, "Serial", "007");
        first->addValueRow(NodeType::Property, "Mask", "0x1F");
        first->addValueRow(NodeType::Property, "Note", "WARNING: hot");
        ModelNode* second = enclosure(1, "QE-D2");
        second->addValueRow(NodeType::Property, "Pair", "a")->values.push_back("b, c");
        second->addValueRow(NodeType::Property, "Lines", "one\ntwo");
        root.name = "Local System";
    }

    ModelNode* enclosure(int number, const std::string& model)
    {
        ModelNode* node = root.addChild(NodeType::Enclosure, "Enclosure");
        node->number = number;
        node->values.push_back(model);
        return node;
    }

    ModelNode root{SystemKind::Local, NodeType::Root};
};

TEST_F(TreeRowTextTest, RowsSplitIntoNameAndValue)
{
    const RowParts unit = TreeRowText::split("Offset [V]:   -1.5");
    EXPECT_EQ(unit.name, "Offset [V]");
    EXPECT_EQ(unit.value, "-1.5");
    EXPECT_EQ(TreeRowText::split("Note:   a:   b").value, "a:   b");
    EXPECT_EQ(TreeRowText::nameAndValue("Local System"), "Local System");
}

TEST_F(TreeRowTextTest, TextAndCsvOfASubtree)
{
    const std::vector<TreeRow> second = TreeRowList::collect(*root.childAt(1));
    EXPECT_EQ(TreeRowText::indented(second), "Enclosure 1:   QE-D2\n  Pair:   a; b, c\n  Lines:   one\n  two\n");
    EXPECT_EQ(TreeRowText::csv(second), "depth,kind,red,name,value,text\r\n"
                                        "0,enclosure,0,Enclosure 1,QE-D2,Enclosure 1:   QE-D2\r\n"
                                        "1,property,0,Pair,\"a; b, c\",\"Pair:   a; b, c\"\r\n"
                                        "1,property,0,Lines,\"one\ntwo\",\"Lines:   one\ntwo\"\r\n");
}

// Numbers stay numbers; texts that only look like numbers stay texts.
TEST_F(TreeRowTextTest, JsonNestsTheRowsAndKeepsNumbersAsNumbers)
{
    const std::string row = R"("kind":"property","red":false,"depth":2,"children":[]})";
    EXPECT_EQ(
        TreeRowText::jsonTree(TreeRowList::collect(root)),
        R"([{"text":"Local System","name":"Local System","value":null,"kind":"system","red":false,"depth":0,)"
        R"("children":[{"text":"Enclosure 0:   QE-R16","name":"Enclosure 0","value":"QE-R16","kind":"enclosure",)"
        R"("red":false,"depth":1,"children":[{"text":"Count:   42","name":"Count","value":42,)" +
            row + R"(,{"text":"Offset [V]:   -1.5","name":"Offset [V]","value":-1.5,"kind":"temperature",)" +
            R"("red":false,"depth":2,"children":[]},{"text":"Serial:   007","name":"Serial","value":"007",)" + row +
            R"(,{"text":"Mask:   0x1F","name":"Mask","value":"0x1F",)" + row +
            R"(,{"text":"Note:   WARNING: hot","name":"Note","value":"WARNING: hot","kind":"property","red":true,)"
            R"("depth":2,"children":[]}]},{"text":"Enclosure 1:   QE-D2","name":"Enclosure 1","value":"QE-D2",)"
            R"("kind":"enclosure","red":false,"depth":1,"children":[{"text":"Pair:   a; b, c","name":"Pair",)"
            R"("value":"a; b, c",)" +
            row + R"(,{"text":"Lines:   one\ntwo","name":"Lines","value":"one\ntwo",)" + row + "]}]}]");
}

} // namespace
} // namespace z2e
