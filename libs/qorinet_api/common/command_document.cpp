#include "qorinet_api/common/command_document.h"

#include "uni/number_text.h"

#include <cstring>
#include <sstream>

namespace qorinet_api {

CommandDocument::CommandDocument()
{
    m_doc.append_child(kRoot);
}

bool CommandDocument::parse(const char* text, std::size_t length)
{
    m_doc.reset();
    const bool parsed = text && length <= kMaxText &&
                        m_doc.load_buffer(text, length, pugi::parse_default, pugi::encoding_utf8) &&
                        std::strcmp(m_doc.document_element().name(), kRoot) == 0;
    if (!parsed) {
        m_doc.reset();
        m_doc.append_child(kRoot);
    }
    return parsed;
}

pugi::xml_node CommandDocument::parent(const std::string& section) const
{
    const pugi::xml_node top = root();
    return section.empty() ? top : top.child(section.c_str());
}

pugi::xml_node CommandDocument::parentForWrite(const std::string& section)
{
    pugi::xml_node top = root();
    if (section.empty())
        return top;
    pugi::xml_node node = top.child(section.c_str());
    return node ? node : top.append_child(section.c_str());
}

void CommandDocument::set(const std::string& section, const char* field, const std::string& value)
{
    pugi::xml_node owner = parentForWrite(section);
    pugi::xml_node node = owner.child(field);
    if (!node)
        node = owner.append_child(field);
    node.text().set(value.c_str());
}

void CommandDocument::set(const std::string& section, const char* field, std::uint64_t value)
{
    set(section, field, std::to_string(value));
}

std::optional<std::string> CommandDocument::text(const std::string& section, const char* field) const
{
    const pugi::xml_node node = parent(section).child(field);
    if (!node)
        return std::nullopt;
    return std::string(node.text().get());
}

std::optional<std::uint64_t> CommandDocument::number(const std::string& section, const char* field) const
{
    const pugi::xml_node node = parent(section).child(field);
    if (!node)
        return std::nullopt;
    std::uint64_t value = 0;
    if (!uni::text::parseUnsignedDecimal(node.text().get(), value))
        return std::nullopt;
    return value;
}

bool CommandDocument::hasSection(const std::string& section) const
{
    return static_cast<bool>(parent(section));
}

std::string CommandDocument::toString() const
{
    std::ostringstream out;
    m_doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

} // namespace qorinet_api
