#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "xpugi/filter_tree_walker.h"

namespace {

using namespace xpugi::Traversal;
using Names = std::vector<std::string>;

std::string label(const pugi::xml_node& n)
{
    return n.type() == pugi::node_element ? n.name() : std::string("#") + n.value();
}

// Answers by element name (accept by default) and remembers what it was asked.
struct NameFilter : NodeFilter {
    std::map<std::string, int> verdicts;
    Names asked;
    int acceptNode(pugi::xml_node node) override
    {
        asked.push_back(label(node));
        auto it = verdicts.find(node.name());
        return it == verdicts.end() ? FILTER_ACCEPT : it->second;
    }
};

TEST(TreeWalker, VisitsMaskedTypesInDocumentOrder)
{
    pugi::xml_document doc;
    ASSERT_TRUE(
        doc.load_string("<a><!--c1--><b>t</b><c><d/></c></a><!--tail-->", pugi::parse_default | pugi::parse_comments));
    Names seen;
    auto record = [&](pugi::xml_node n) { seen.push_back(label(n)); };

    TreeWalker elements(MASK_ELEMENT, record);
    EXPECT_TRUE(doc.traverse(elements));
    EXPECT_EQ(seen, (Names{"a", "b", "c", "d"}));

    seen.clear();
    TreeWalker withComments(MASK_ELEMENT | nodeTypeBit(pugi::node_comment), record);
    doc.traverse(withComments);
    EXPECT_EQ(seen, (Names{"a", "#c1", "b", "c", "d", "#tail"}));

    // The document node is never part of its own walk.
    seen.clear();
    TreeWalker everything(0xFFFFFFFFu, record);
    doc.traverse(everything);
    EXPECT_EQ(seen, (Names{"a", "#c1", "b", "#t", "c", "d", "#tail"}));
}

TEST(FilterTreeWalker, VerdictsSteerTheWalk)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<r><!--n--><keep>x</keep><skip><in/></skip><stop/><after/></r>",
                                pugi::parse_default | pugi::parse_comments));
    NameFilter filter;
    filter.verdicts = {{"skip", NodeFilter::FILTER_SKIP}, {"stop", NodeFilter::FILTER_REJECT}};
    Names seen;
    FilterTreeWalker walker(MASK_ELEMENT, filter, [&](pugi::xml_node n) { seen.push_back(n.name()); });
    EXPECT_FALSE(doc.traverse(walker));
    EXPECT_EQ(seen, (Names{"r", "keep", "in"}));
    // Comment and text lie outside the mask, "after" beyond the reject.
    EXPECT_EQ(filter.asked, (Names{"r", "keep", "skip", "in", "stop"}));

    // An unknown verdict ends the walk too; no callback is needed to walk.
    filter.asked.clear();
    filter.verdicts = {{"keep", 7}};
    FilterTreeWalker silent(MASK_ELEMENT, filter);
    EXPECT_FALSE(doc.traverse(silent));
    EXPECT_EQ(filter.asked, (Names{"r", "keep"}));
}

} // namespace
