#include "qorinet_api/common/node_name.h"

namespace qorinet_api {

namespace {

/// The code point starting at `at` (UTF-8), moving `at` past it; false for a broken sequence.
bool nextCodePoint(const std::string& text, std::size_t& at, unsigned long& code)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead < 0x80)
        code = lead;
    else if ((lead & 0xE0) == 0xC0)
        code = lead & 0x1F, length = 2;
    else if ((lead & 0xF0) == 0xE0)
        code = lead & 0x0F, length = 3;
    else if ((lead & 0xF8) == 0xF0)
        code = lead & 0x07, length = 4;
    else
        return false;
    if (at + length > text.size())
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are no characters.
    static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)
        return false;
    at += length;
    return true;
}

} // namespace

NodeName::Check NodeName::check(const std::string& name)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < name.size(); ++characters) {
        unsigned long code = 0;
        if (!nextCodePoint(name, at, code) || code < 0x20 || (code >= 0x7F && code < 0xA0))
            return Check::BadCharacter;
    }
    return characters > kMaxLength ? Check::TooLong : Check::Ok;
}

} // namespace qorinet_api
