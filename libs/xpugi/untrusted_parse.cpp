#include "xpugi/untrusted_parse.h"

#include <algorithm>

namespace xpugi {

bool nodesWithin(const char* text, std::size_t size, std::size_t limit)
{
    // In blocks, so that a hostile text is refused after a look at its first part and the
    // counting loop stays simple enough to vectorise.
    constexpr std::size_t kBlock = 64 * 1024;
    std::size_t markup = 0;
    for (std::size_t at = 0; at < size; at += kBlock) {
        const char* const begin = text + at;
        const char* const end = begin + std::min(kBlock, size - at);
        std::size_t found = 0;
        for (const char* c = begin; c != end; ++c)
            found += static_cast<std::size_t>(*c == '<') + static_cast<std::size_t>(*c == '=');
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
