#pragma once
// Small text and XML helpers shared by the document builders and the readers.

#include <cstdint>
#include <string>

#include <pugixml.hpp>

namespace zmpxi_sim {
namespace xml_util {

/// The document printed with two-blank indentation and no declaration.
std::string print(const pugi::xml_node& node);
/// The node printed on one line, as stored inside other documents.
std::string printRaw(const pugi::xml_node& node);

/// Parses `text` into `doc`; on failure `error` says what went wrong and where.
bool parse(const std::string& text, pugi::xml_document& doc, std::string& error);
/// Appends element `name` holding `value`.
void appendText(pugi::xml_node parent, const char* name, const std::string& value);
/// Text of the element at `path` below `node`, surrounding white space removed; empty when absent.
std::string text(const pugi::xml_node& node, const char* path);
/// White space removed at both ends.
std::string trimmed(const std::string& text);

/// Optional sign and decimal digits within 32 bits; surrounding white space is ignored.
bool parseInt32(const std::string& text, std::int32_t& value);
/// One to eight hexadecimal digits, optional "0x"; surrounding white space is ignored.
bool parseHex32(const std::string& text, std::uint32_t& value);
/// Eight upper-case hexadecimal digits.
std::string hex8(std::uint32_t value);
/// Four upper-case hexadecimal digits.
std::string hex4(std::uint32_t value);
/// A calendar date "YYYY-MM-DD" (years 1900 to 2999, days within their month).
bool isDate(const std::string& text);
/// Fixed-point text with a decimal point whatever the process locale.
std::string fixed(double value, int decimals);

/// Case-insensitive equality of two ASCII texts.
bool equalsNoCase(const std::string& a, const std::string& b);
/// True when `text` starts with `prefix`.
bool startsWith(const std::string& text, const char* prefix);

/// A stable hash of a text; the simulator derives all "measured" values from it.
std::uint32_t hash(const std::string& text);
/// The hash scaled into [0, 1).
double unitHash(const std::string& text);

} // namespace xml_util
} // namespace zmpxi_sim
