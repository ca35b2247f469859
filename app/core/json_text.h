#pragma once
// Texts in JSON written by hand (the command line's reports, the maintenance journal).

#include <string>

namespace z2e {

/// `text` as a JSON string literal, quotes included; quotes, backslashes and control characters
/// escaped. Valid UTF-8 passes as it is; each byte that is not part of a valid sequence (texts
/// from drivers, nodes and file names need not be UTF-8) becomes U+FFFD, so the result always is.
std::string jsonString(const std::string& text);
/// Appends jsonString(text) to `out`.
void appendJsonString(std::string& out, const std::string& text);

/// `text` with each byte that is not part of a valid UTF-8 sequence replaced by U+FFFD.
std::string validUtf8(const std::string& text);

} // namespace z2e
