#pragma once
// Strict parsing of the decimal numbers the driver answers as text.

#include <cstdint>
#include <string>

namespace qorinet_api {
namespace util {

/// Parses an optional '+' or '-' followed by one or more decimal digits and nothing else.
/// False (value untouched) for an empty text, any other character or a value outside int32.
bool parseSignedDecimal(const std::string& text, std::int32_t& value);

} // namespace util
} // namespace qorinet_api
