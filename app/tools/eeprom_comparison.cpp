#include "tools/eeprom_comparison.h"

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

std::string shown(const char* text) { return *text ? std::string(text) : std::string("(nothing)"); }

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

pugi::xml_node elementFrom(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

using AttributesByName = std::map<std::string, std::vector<pugi::xml_attribute>>;

// Attributes compared by name, whatever their order. A repeated name (no XML, but the parser
// takes it) is compared occurrence by occurrence, so that the same document is always verified.
std::string attributeDifference(const pugi::xml_node& wrote, const pugi::xml_node& reports)
{
    AttributesByName others;
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

// What differs in the element itself: its attributes and its text.
std::string ownDifference(const pugi::xml_node& wrote, const pugi::xml_node& reports)
{
    std::string found = attributeDifference(wrote, reports);
    if (found.empty() && std::strcmp(wrote.child_value(), reports.child_value()) != 0) {
        const std::string path = pathOf(wrote);
        found = difference(path.empty() ? wrote.name() : path, wrote.child_value(), reports.child_value());
    }
    return found;
}

// Two children of `parent` at the same place, of which one is missing or named otherwise;
// empty when they match.
std::string childDifference(const pugi::xml_node& parent, const pugi::xml_node& a, const pugi::xml_node& b)
{
    if (a && b && std::strcmp(a.name(), b.name()) == 0)
        return {};
    return difference(joined(pathOf(parent), a ? a.name() : b.name()), a ? "this element" : "",
                      b ? (a ? b.name() : "this element") : "");
}

// The first difference below two root elements of the same name, in document order; empty
// when there is none. The walk follows the trees' own links, so any depth is fine.
std::string firstDifference(const pugi::xml_node& wroteRoot, const pugi::xml_node& reportsRoot)
{
    pugi::xml_node a = wroteRoot;
    pugi::xml_node b = reportsRoot;
    for (;;) {
        std::string found = ownDifference(a, b);
        if (!found.empty())
            return found;
        // Down to the first children; without any, on to the next siblings, climbing up to
        // where there are some.
        pugi::xml_node parent = a;
        pugi::xml_node nextA = elementFrom(a.first_child());
        pugi::xml_node nextB = elementFrom(b.first_child());
        while (!nextA && !nextB) {
            if (a == wroteRoot)
                return {};
            parent = a.parent();
            nextA = elementFrom(a.next_sibling());
            nextB = elementFrom(b.next_sibling());
            a = parent;
            b = b.parent();
        }
        found = childDifference(parent, nextA, nextB);
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
    if (!wrote.load_buffer(written.data(), written.size()))
        return "the written document does not parse";
    if (!reports.load_buffer(reported.data(), reported.size()))
        return "the board reports a document that does not parse";
    const pugi::xml_node a = wrote.document_element();
    const pugi::xml_node b = reports.document_element();
    if (std::strcmp(a.name(), b.name()) != 0)
        return difference("root", a.name(), b.name());
    const std::string found = firstDifference(a, b);
    return found.empty() ? "verified" : found;
}

} // namespace z2e
