#include "core/model_node.h"
#include "core/node_types.h"
#include "core/tree_row_list.h"
#include "core/tree_row_text.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace z2e {
namespace {

namespace pt = boost::property_tree;

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

TEST_F(TreeRowTextTest, JsonNestsTheRowsAndKeepsNumbersAsNumbers)
{
    const std::string json = TreeRowText::jsonTree(TreeRowList::collect(root));
    pt::ptree tree;
    std::istringstream in("{\"tree\":" + json + "}");
    ASSERT_NO_THROW(pt::read_json(in, tree)) << json;
    const pt::ptree& top = tree.get_child("tree");
    ASSERT_EQ(top.size(), 1u);
    const pt::ptree& system = top.front().second;
    EXPECT_EQ(system.get<std::string>("text"), "Local System");
    EXPECT_EQ(system.get<std::string>("kind"), "system");
    EXPECT_EQ(system.get<int>("depth"), 0);
    const pt::ptree& enclosures = system.get_child("children");
    ASSERT_EQ(enclosures.size(), 2u);
    const pt::ptree& first = enclosures.front().second;
    EXPECT_EQ(first.get<std::string>("name"), "Enclosure 0");
    EXPECT_EQ(first.get<std::string>("value"), "QE-R16");
    EXPECT_EQ(first.get<std::string>("kind"), "enclosure");
    const pt::ptree& rows = first.get_child("children");
    ASSERT_EQ(rows.size(), 5u);
    const pt::ptree& note = rows.back().second;
    EXPECT_EQ(note.get<std::string>("text"), "Note:   WARNING: hot");
    EXPECT_EQ(note.get<bool>("red"), true);
    EXPECT_EQ(note.get<int>("depth"), 2);
    EXPECT_EQ(note.get_child("children").size(), 0u);
    EXPECT_EQ(enclosures.back().second.get_child("children").size(), 2u);

    // The parser above reads every value as text: what is a number shows in the JSON itself.
    for (const char* written : {"\"value\":null,", "\"value\":42,", "\"value\":-1.5,", "\"value\":\"007\",",
                                "\"value\":\"0x1F\",", "\"kind\":\"temperature\",\"red\":false,\"depth\":2"})
        EXPECT_NE(json.find(written), std::string::npos) << written << " in " << json;
}

} // namespace
} // namespace z2e
