#pragma once
// XML the program did not write itself: files the operator names, documents of the driver or
// of a network node. A cap on bytes does not bound the tree: 60 MB of "<a/>" are 15 million
// elements, some 2 GB while pugixml holds them.

#include <cstddef>
#include <string>

#include <pugixml.hpp>

namespace xpugi {

/// Elements and attributes one document may have, as nodesWithin() bounds them. The largest
/// document the program makes itself, the driver configuration of a demo system of 16
/// enclosures full of 32-channel boards (256), has about 7,800 (135 KB), and 24,000 (344 KB)
/// with a channel module on every channel; a board's whole description about 600. 40 times the
/// largest leaves room for systems far larger than any built, while a demo file just within the
/// bound takes zamo2ctl less than 200 MB to import, not gigabytes.
constexpr std::size_t kMaxNodes = 1'000'000;

/// Whether `text` can make at most `limit` elements and attributes: every element, comment or
/// processing instruction starts with '<' and every attribute holds '='. One pass, well below
/// the cost of the parse (BM_UntrustedParseVsPlainParse).
bool nodesWithin(const char* text, std::size_t size, std::size_t limit = kMaxNodes);

/// The outcome of parseUntrusted(): refused unread, or what pugixml said.
struct UntrustedParse {
    bool tooManyNodes = false;
    pugi::xml_parse_result result;
    explicit operator bool() const { return !tooManyNodes && static_cast<bool>(result); }
};

/// Parses `size` bytes of `text` into `document` (emptied first) unless nodesWithin() refuses
/// them.
UntrustedParse parseUntrusted(pugi::xml_document& document, const char* text, std::size_t size,
                              unsigned options = pugi::parse_default);
inline UntrustedParse parseUntrusted(pugi::xml_document& document, const std::string& text,
                                     unsigned options = pugi::parse_default)
{
    return parseUntrusted(document, text.data(), text.size(), options);
}

/// "more than 1000000 elements and attributes", for messages about a refused document.
std::string tooManyNodesText();

} // namespace xpugi
