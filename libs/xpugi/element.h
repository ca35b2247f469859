#pragma once

#include <string>

#include <pugixml.hpp>

#include "xpugi/xml_element_exception.h"

// Element helpers shared by the configuration checkers and the configuration handler.
// A null node is a valid argument everywhere: it reads as empty and ignores writes.
// Taking any other non-element node as an element throws xml_element_exception.
namespace xpugi {

/// Layout of printNode output.
enum class PrintStyle {
    Raw,     ///< one line, no indentation or line breaks added
    Indented ///< one tab per nesting level, one node per line
};

/// Throws xml_element_exception("Invalid node type") unless node is an element or null.
void checkElement(const pugi::xml_node& node);

/// Value of the named attribute; empty when the attribute is absent.
std::string attributeValue(const pugi::xml_node& element, const std::string& name);

/// True when the element carries the named attribute (its value may be empty).
bool hasAttribute(const pugi::xml_node& element, const std::string& name);

/// Concatenated direct text and CDATA children, with leading and trailing
/// spaces, tabs, CR and LF removed.
std::string elementText(const pugi::xml_node& element);

/// Replaces all children by one text node; an empty text leaves the element unchanged.
void setElementText(pugi::xml_node element, const std::string& text);

/// Removes every child node (elements, text, comments ...); attributes stay.
void removeChildren(pugi::xml_node element);

/// The node and its subtree as XML text; a document prints without declaration.
std::string printNode(const pugi::xml_node& node, PrintStyle style = PrintStyle::Raw);

/// First node in document order matched by the XPath expression evaluated from context.
/// Returns an empty node on no match, on an invalid expression and on a match that is
/// an attribute rather than a node.
pugi::xml_node selectFirst(const pugi::xml_node& context, const std::string& xpath);

/// Absolute path of the element, names separated by "/", e.g. "/root/child/leaf";
/// empty for a null node.
std::string elementPath(const pugi::xml_node& element);

} // namespace xpugi
