#pragma once
// The one place numbers are read from and written to text: driver answers, XML values,
// command-line arguments. Parsers are strict (the whole text, nothing else) unless named
// otherwise, and leave the output untouched when they fail.

#include <cstdint>
#include <string>

namespace uni {
namespace text {

/// An optional '+' or '-' followed by one or more decimal digits, within int32.
bool parseSignedDecimal(const std::string& text, std::int32_t& value);

/// One or more decimal digits, no sign, within the output's range.
bool parseUnsignedDecimal(const std::string& text, std::uint64_t& value);
bool parseUnsignedDecimal(const std::string& text, std::uint32_t& value);

/// One to eight hexadecimal digits (either case), optionally after "0x"/"0X".
bool parseHex32(const std::string& text, std::uint32_t& value);

/// A decimal as parseSignedDecimal, or "0x" and one to eight hex digits taken as the bit
/// pattern of an int32 (so "0xFFFFFFFF" is -1).
bool parseDecimalOrHex(const std::string& text, std::int32_t& value);

/// Hexadecimal the way "%X" scans it: blanks, then the leading hex digits; trailing text is
/// ignored, extra leading digits shift out. False when no digit follows the blanks.
bool parseLeadingHex(const std::string& text, std::uint32_t& value);

/// Eight hexadecimal digits, upper case unless asked otherwise ("00B1E116").
std::string hex8(std::uint32_t value, bool upper = true);

} // namespace text
} // namespace uni
