#pragma once
// Texts in JSON written by hand (the command line's reports, the maintenance journal).

#include <string>

namespace z2e {

/// `text` as a JSON string literal, quotes included; quotes, backslashes and control characters
/// escaped. Other bytes pass as they are.
std::string jsonString(const std::string& text);

} // namespace z2e
