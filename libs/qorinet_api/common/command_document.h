#pragma once
// The XML documents of the node protocols: a root element "Cmd" whose fields are child
// elements carrying their value as text, either directly under "Cmd" (parameter commands) or
// under one section element ("Client", "Node", "IPConfig", "NetBase", ...). Numbers are decimal.

#include <pugixml.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace qorinet_api {

class CommandDocument {
public:
    /// Root element name of every document.
    static constexpr const char* kRoot = "Cmd";
    /// Largest document text accepted by parse().
    static constexpr std::size_t kMaxText = 64u * 1024u * 1024u;

    /// An empty "Cmd" document.
    CommandDocument();
    CommandDocument(const CommandDocument&) = delete;
    CommandDocument& operator=(const CommandDocument&) = delete;

    /// Replaces the content with the parsed text. False (document left empty "Cmd") when the
    /// text is not XML, too long, or its root is not "Cmd".
    bool parse(const char* text, std::size_t length);
    bool parse(const std::string& text) { return parse(text.data(), text.size()); }

    /// Sets a field below `section` (created when missing); an empty section name puts the
    /// field directly under "Cmd". An existing field of that name is overwritten.
    void set(const std::string& section, const char* field, const std::string& value);
    void set(const std::string& section, const char* field, std::uint64_t value);

    /// The field's text; nullopt when the section or field is missing.
    std::optional<std::string> text(const std::string& section, const char* field) const;
    /// The field as an unsigned decimal; nullopt when missing or not a plain number that fits.
    std::optional<std::uint64_t> number(const std::string& section, const char* field) const;
    bool hasSection(const std::string& section) const;

    /// The document as compact text without an XML declaration.
    std::string toString() const;

    pugi::xml_node root() const { return m_doc.document_element(); }
    pugi::xml_document& document() { return m_doc; }

private:
    pugi::xml_node parent(const std::string& section) const;
    pugi::xml_node parentForWrite(const std::string& section);

    pugi::xml_document m_doc;
};

} // namespace qorinet_api
