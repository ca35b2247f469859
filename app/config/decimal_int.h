#pragma once

#include <cstdint>
#include <string>

namespace z2e {

/// Strict conversion of a whole text to a signed 32-bit integer: an optional '+' or '-'
/// followed by decimal digits, nothing else (no spaces, no empty text), within range.
bool parseDecimalInt32(const std::string& text, std::int32_t& value);

}  // namespace z2e
