#include <string>

#include <gtest/gtest.h>

#include "xpugi/element.h"

namespace {

using namespace xpugi;

pugi::xml_document parse(const char* xml)
{
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml, pugi::parse_default | pugi::parse_comments));
    return doc;
}

TEST(Element, AttributesAndText)
{
    auto doc = parse("<e a=\"1\" empty=\"\">  a<!--x--><![CDATA[ b ]]>\n\t<k>no</k>c \r\n</e>");
    auto e = doc.first_child();
    EXPECT_EQ(attributeValue(e, "a"), "1");
    EXPECT_EQ(attributeValue(e, "missing"), "");
    EXPECT_TRUE(hasAttribute(e, "empty"));
    EXPECT_FALSE(hasAttribute(e, "missing"));
    // Inner spaces survive; the child element and the comment do not count.
    EXPECT_EQ(elementText(e), "a b c");
    EXPECT_EQ(elementText(parse("<e> \t<k>x</k></e>").first_child()), "");
}

TEST(Element, SetTextRemoveChildrenAndPrint)
{
    auto doc = parse("<r a=\"1\"><g><e id=\"7\">old<k/><!--c--></e></g></r>");
    auto e = doc.child("r").child("g").child("e");
    setElementText(e, "");
    EXPECT_EQ(printNode(doc), "<r a=\"1\"><g><e id=\"7\">old<k/><!--c--></e></g></r>");
    setElementText(e, " new ");
    EXPECT_EQ(printNode(doc, PrintStyle::Indented), "<r a=\"1\">\n\t<g>\n\t\t<e id=\"7\"> new </e>\n\t</g>\n</r>\n");
    removeChildren(doc.child("r"));
    EXPECT_EQ(printNode(doc), "<r a=\"1\"/>");
}

TEST(Element, XPathFirstMatchAndPath)
{
    auto doc = parse("<cfg><Def><Logger n=\"d\"/></Def><Configuration><Logger n=\"c\"/></Configuration></cfg>");
    auto cfg = doc.child("cfg");
    EXPECT_EQ(attributeValue(selectFirst(doc, "//Logger"), "n"), "d");
    auto logger = selectFirst(cfg, "Configuration/Logger");
    EXPECT_EQ(attributeValue(logger, "n"), "c");
    EXPECT_FALSE(selectFirst(cfg, "Logger"));
    EXPECT_FALSE(selectFirst(cfg, "//["));
    EXPECT_FALSE(selectFirst(cfg, "Def/Logger/@n"));
    EXPECT_EQ(elementPath(logger), "/cfg/Configuration/Logger");
}

TEST(Element, OnlyElementsAndNullNodesAreElements)
{
    auto doc = parse("<e>text</e>");
    auto text = doc.first_child().first_child();
    EXPECT_THROW(elementText(text), xml_element_exception);
    EXPECT_THROW(setElementText(text, "x"), xml_element_exception);
    EXPECT_THROW(elementPath(doc), xml_element_exception);
    try {
        attributeValue(text, "a");
        ADD_FAILURE() << "text node taken as element";
    } catch (const xml_element_exception& ex) {
        EXPECT_STREQ(ex.what(), "Invalid node type");
    }

    pugi::xml_node null;
    EXPECT_NO_THROW(setElementText(null, "x"));
    EXPECT_NO_THROW(removeChildren(null));
    EXPECT_EQ(elementText(null) + elementPath(null), "");
}

} // namespace
