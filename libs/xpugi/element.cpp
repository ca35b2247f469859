#include "xpugi/element.h"

namespace xpugi {

namespace {

const char* const kWhitespace = " \t\r\n";

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(kWhitespace);
    if (first == std::string::npos) {
        return std::string();
    }
    const auto last = text.find_last_not_of(kWhitespace);
    return text.substr(first, last - first + 1);
}

// Collects pugixml output without going through iostreams.
class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }

    std::string out;
};

} // namespace

void checkElement(const pugi::xml_node& node)
{
    if (node && node.type() != pugi::node_element) {
        throw xml_element_exception("Invalid node type");
    }
}

std::string attributeValue(const pugi::xml_node& element, const std::string& name)
{
    checkElement(element);
    return element.attribute(name.c_str()).value();
}

bool hasAttribute(const pugi::xml_node& element, const std::string& name)
{
    checkElement(element);
    return !element.attribute(name.c_str()).empty();
}

std::string elementText(const pugi::xml_node& element)
{
    checkElement(element);
    std::string text;
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        }
    }
    return trimmed(text);
}

void setElementText(pugi::xml_node element, const std::string& text)
{
    checkElement(element);
    if (!element || text.empty()) {
        return;
    }
    element.remove_children();
    element.append_child(pugi::node_pcdata).set_value(text.c_str());
}

void removeChildren(pugi::xml_node element)
{
    checkElement(element);
    element.remove_children();
}

std::string printNode(const pugi::xml_node& node, PrintStyle style)
{
    StringWriter writer;
    if (style == PrintStyle::Raw) {
        node.print(writer, "", pugi::format_raw);
    } else {
        node.print(writer, "\t", pugi::format_indent);
    }
    return writer.out;
}

pugi::xml_node selectFirst(const pugi::xml_node& context, const std::string& xpath)
{
    if (!context) {
        return pugi::xml_node();
    }
#ifndef PUGIXML_NO_EXCEPTIONS
    try {
        return context.select_node(xpath.c_str()).node();
    } catch (const pugi::xpath_exception&) {
        // A malformed expression is just another way of not finding anything.
        return pugi::xml_node();
    }
#else
    return context.select_node(xpath.c_str()).node();
#endif
}

std::string elementPath(const pugi::xml_node& element)
{
    checkElement(element);
    return element.path('/');
}

} // namespace xpugi
