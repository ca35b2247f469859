#include "tools/eeprom_comparison.h"

#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <cstring>
#include <map>
#include <vector>

namespace z2e {

namespace {

std::string joined(const std::string& path, const std::string& name)
{
    return path.empty() ? name : path + "/" + name;
}

std::string shown(const char* text)
{
    return *text ? std::string(text) : std::string("(nothing)");
}

std::string difference(const std::string& path, const char* wrote, const char* reports)
{
    return path + ": wrote " + shown(wrote) + ", board reports " + shown(reports);
}

// "BoardInfo/SerialNumber" for an element below the root, "" for the root itself. Built only
// for the report: carrying it down the walk would cost the square of the depth.
std::string pathOf(pugi::xml_node element)
{
    std::vector<const char*> names;
    for (; element.parent() && element.parent().parent(); element = element.parent())
        names.push_back(element.name());
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        path = joined(path, *name);
    return path;
}

bool isText(const pugi::xml_node& node)
{
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// What a board keeps of a document: elements and texts. Comments, processing instructions
// and declarations are layout.
pugi::xml_node contentFrom(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element && !isText(node))
        node = node.next_sibling();
    return node;
}

// Attributes compared by name, whatever their order. A repeated name (no XML, but the parser
// takes it) is compared occurrence by occurrence, so that the same document is always verified.
std::string attributeDifference(const pugi::xml_node& wrote, const pugi::xml_node& reports)
{
    std::map<std::string, std::vector<pugi::xml_attribute>> others;
    for (const pugi::xml_attribute& attribute : reports.attributes())
        others[attribute.name()].push_back(attribute);
    std::map<std::string, std::size_t> written;
    for (const pugi::xml_attribute& attribute : wrote.attributes()) {
        const std::size_t n = written[attribute.name()]++;
        const auto found = others.find(attribute.name());
        const pugi::xml_attribute other =
            found != others.end() && n < found->second.size() ? found->second[n] : pugi::xml_attribute();
        if (!other || std::strcmp(attribute.value(), other.value()) != 0)
            return difference(joined(pathOf(wrote), std::string("@") + attribute.name()), attribute.value(),
                              other.value());
    }
    std::map<std::string, std::size_t> reported;
    for (const pugi::xml_attribute& attribute : reports.attributes()) {
        const std::size_t n = reported[attribute.name()]++;
        const auto found = written.find(attribute.name());
        if (found == written.end() || n >= found->second)
            return difference(joined(pathOf(wrote), std::string("@") + attribute.name()), "", attribute.value());
    }
    return {};
}

// Two nodes at the same place below `parent` (either may be missing): the same element name,
// or the same text; empty when they match.
std::string nodeDifference(const pugi::xml_node& parent, const pugi::xml_node& a, const pugi::xml_node& b)
{
    const std::string parentPath = parent.parent() ? pathOf(parent) : std::string();
    const std::string here = parentPath.empty() && parent.type() == pugi::node_element ? parent.name() : parentPath;
    if (a && b && isText(a) && isText(b))
        return std::strcmp(a.value(), b.value()) == 0 ? std::string() : difference(here, a.value(), b.value());
    if (a && b && a.type() == pugi::node_element && b.type() == pugi::node_element) {
        if (std::strcmp(a.name(), b.name()) == 0)
            return {};
        return difference(joined(parentPath, a.name()), "this element", b.name());
    }
    if ((!a || a.type() == pugi::node_element) && (!b || b.type() == pugi::node_element))
        return difference(joined(parentPath, a ? a.name() : b.name()), a ? "this element" : "",
                          b ? "this element" : "");
    // Text where the other has an element or nothing.
    const auto what = [](const pugi::xml_node& node) -> std::string {
        if (!node)
            return "";
        return isText(node) ? "text " + std::string(node.value()) : "element " + std::string(node.name());
    };
    return difference(here.empty() ? "document" : here, what(a).c_str(), what(b).c_str());
}

// The first difference below two documents, in document order; empty when there is none.
// The walk follows the trees' own links, so any depth is fine.
std::string firstDifference(const pugi::xml_node& wroteDocument, const pugi::xml_node& reportsDocument)
{
    pugi::xml_node a = wroteDocument;
    pugi::xml_node b = reportsDocument;
    for (;;) {
        if (a.type() == pugi::node_element) {
            const std::string found = attributeDifference(a, b);
            if (!found.empty())
                return found;
        }
        // Down to the first children; without any, on to the next siblings, climbing up to
        // where there are some.
        pugi::xml_node parent = a;
        pugi::xml_node nextA =
            a.type() == pugi::node_element || a == wroteDocument ? contentFrom(a.first_child()) : pugi::xml_node();
        pugi::xml_node nextB =
            b.type() == pugi::node_element || b == reportsDocument ? contentFrom(b.first_child()) : pugi::xml_node();
        while (!nextA && !nextB) {
            if (a == wroteDocument)
                return {};
            parent = a.parent();
            nextA = contentFrom(a.next_sibling());
            nextB = contentFrom(b.next_sibling());
            a = parent;
            b = b.parent();
        }
        const std::string found = nodeDifference(parent, nextA, nextB);
        if (!found.empty())
            return found;
        a = nextA;
        b = nextB;
    }
}

} // namespace

std::string EepromComparison::verdict(const std::string& written, const std::string& reported)
{
    if (written == reported)
        return "verified";
    pugi::xml_document wrote;
    pugi::xml_document reports;
    if (!xpugi::parseUntrusted(wrote, written))
        return "the written document does not parse";
    if (!xpugi::parseUntrusted(reports, reported))
        return "the board reports a document that does not parse";
    const pugi::xml_node a = wrote.document_element();
    const pugi::xml_node b = reports.document_element();
    if (std::strcmp(a.name(), b.name()) != 0)
        return difference("root", a.name(), b.name());
    const std::string found = firstDifference(wrote, reports);
    return found.empty() ? "verified" : found;
}

} // namespace z2e
