#include "xpugi/untrusted_parse.h"

#include <algorithm>
#include <cstdint>

namespace xpugi {

bool nodesWithin(const char* text, std::size_t size, std::size_t limit)
{
    // Each mark is a byte: a text no longer than the bound cannot pass it, and the documents a
    // procedure reads by the hundred (a few KiB each) cost no count at all.
    if (size <= limit)
        return true;
    // In blocks, so that a hostile text is refused after a look at its first part; a 32-bit
    // count per block lets the loop take many bytes at once.
    constexpr std::size_t kBlock = 64 * 1024;
    std::size_t markup = 0;
    for (std::size_t at = 0; at < size; at += kBlock) {
        const unsigned char* const begin = reinterpret_cast<const unsigned char*>(text) + at;
        const std::size_t length = std::min(kBlock, size - at);
        std::uint32_t found = 0;
        for (std::size_t i = 0; i < length; ++i)
            found += static_cast<std::uint32_t>(begin[i] == '<') + static_cast<std::uint32_t>(begin[i] == '=');
        markup += found;
        if (markup > limit)
            return false;
    }
    return true;
}

UntrustedParse parseUntrusted(pugi::xml_document& document, const char* text, std::size_t size, unsigned options)
{
    document.reset();
    UntrustedParse outcome;
    if (!nodesWithin(text, size)) {
        outcome.tooManyNodes = true;
        return outcome;
    }
    outcome.result = document.load_buffer(text, size, options);
    return outcome;
}

std::string tooManyNodesText()
{
    return "more than " + std::to_string(kMaxNodes) + " elements and attributes";
}

} // namespace xpugi
