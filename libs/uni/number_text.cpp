#include "uni/number_text.h"

#include <limits>

namespace uni {
namespace text {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool hasHexPrefix(const std::string& text)
{
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

bool parseSignedDecimal(const std::string& text, std::int32_t& value)
{
    std::size_t pos = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        pos = 1;
    }
    if (pos == text.size())
        return false;
    // Accumulate the magnitude in 64 bits; more than ten digits cannot fit anyway.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

bool parseUnsignedDecimal(const std::string& text, std::uint64_t& value)
{
    if (text.empty())
        return false;
    std::uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (result > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool parseUnsignedDecimal(const std::string& text, std::uint32_t& value)
{
    std::uint64_t wide = 0;
    if (!parseUnsignedDecimal(text, wide) || wide > std::numeric_limits<std::uint32_t>::max())
        return false;
    value = static_cast<std::uint32_t>(wide);
    return true;
}

bool parseHex32(const std::string& text, std::uint32_t& value)
{
    const std::size_t first = hasHexPrefix(text) ? 2 : 0;
    const std::size_t digits = text.size() - first;
    if (digits == 0 || digits > 8)
        return false;
    std::uint32_t result = 0;
    for (std::size_t i = first; i < text.size(); ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0)
            return false;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    value = result;
    return true;
}

bool parseDecimalOrHex(const std::string& text, std::int32_t& value)
{
    if (!hasHexPrefix(text))
        return parseSignedDecimal(text, value);
    std::uint32_t bits = 0;
    if (!parseHex32(text, bits))
        return false;
    value = static_cast<std::int32_t>(bits);
    return true;
}

bool parseLeadingHex(const std::string& text, std::uint32_t& value)
{
    std::size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string::npos || hexDigit(text[pos]) < 0)
        return false;
    std::uint32_t result = 0;
    for (; pos < text.size() && hexDigit(text[pos]) >= 0; ++pos)
        result = (result << 4) | static_cast<std::uint32_t>(hexDigit(text[pos]));
    value = result;
    return true;
}

std::string hex8(std::uint32_t value, bool upper)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return text;
}

} // namespace text
} // namespace uni
