#include "tools/eeprom_comparison.h"

#include <pugixml.hpp>

#include <cstring>

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

// The first difference below two elements of the same name; empty when there is none.
std::string firstDifference(const pugi::xml_node& wrote, const pugi::xml_node& reports, const std::string& path)
{
    for (const pugi::xml_attribute& attribute : wrote.attributes()) {
        const pugi::xml_attribute other = reports.attribute(attribute.name());
        if (!other || std::strcmp(attribute.value(), other.value()) != 0)
            return difference(joined(path, std::string("@") + attribute.name()), attribute.value(), other.value());
    }
    for (const pugi::xml_attribute& attribute : reports.attributes()) {
        if (!wrote.attribute(attribute.name()))
            return difference(joined(path, std::string("@") + attribute.name()), "", attribute.value());
    }
    if (std::strcmp(wrote.child_value(), reports.child_value()) != 0)
        return difference(path.empty() ? wrote.name() : path, wrote.child_value(), reports.child_value());
    pugi::xml_node a = wrote.first_child();
    pugi::xml_node b = reports.first_child();
    for (;;) {
        while (a && a.type() != pugi::node_element)
            a = a.next_sibling();
        while (b && b.type() != pugi::node_element)
            b = b.next_sibling();
        if (!a && !b)
            return {};
        if (!a || !b || std::strcmp(a.name(), b.name()) != 0)
            return difference(joined(path, a ? a.name() : b.name()), a ? "this element" : "",
                              b ? (a ? b.name() : "this element") : "");
        std::string found = firstDifference(a, b, joined(path, a.name()));
        if (!found.empty())
            return found;
        a = a.next_sibling();
        b = b.next_sibling();
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
    const std::string found = firstDifference(a, b, "");
    return found.empty() ? "verified" : found;
}

} // namespace z2e
