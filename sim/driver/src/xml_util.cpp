#include "xml_util.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <sstream>

namespace zmpxi_sim {
namespace xml_util {

std::string print(const pugi::xml_node& node)
{
    std::ostringstream out;
    node.print(out, "  ", pugi::format_indent | pugi::format_no_declaration);
    return out.str();
}

std::string printRaw(const pugi::xml_node& node)
{
    std::ostringstream out;
    node.print(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

bool parse(const std::string& text, pugi::xml_document& doc, std::string& error)
{
    const pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size());
    if (!parsed)
        error = std::string("XML error: ") + parsed.description() + " at offset " + std::to_string(parsed.offset);
    return static_cast<bool>(parsed);
}

void appendText(pugi::xml_node parent, const char* name, const std::string& value)
{
    parent.append_child(name).text() = value.c_str();
}

std::string text(const pugi::xml_node& node, const char* path)
{
    if (!node)
        return std::string();
    pugi::xml_node found = node.first_element_by_path(path);
    return trimmed(found.child_value());
}

std::string trimmed(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

bool parseInt32(const std::string& text, std::int32_t& value)
{
    std::string t = trimmed(text);
    const bool plus = !t.empty() && t[0] == '+';
    if (plus)
        t.erase(0, 1);
    if (t.empty() || t[0] == '+' || (plus && t[0] == '-'))
        return false;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    std::int32_t parsed = 0;
    auto [end, ec] = std::from_chars(first, last, parsed, 10);
    if (ec != std::errc() || end != last)
        return false;
    value = parsed;
    return true;
}

bool parseHex32(const std::string& text, std::uint32_t& value)
{
    std::string t = trimmed(text);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t.erase(0, 2);
    if (t.empty() || t.size() > 8)
        return false;
    std::uint32_t parsed = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), parsed, 16);
    if (ec != std::errc() || end != t.data() + t.size())
        return false;
    value = parsed;
    return true;
}

std::string hex8(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", value);
    return buffer;
}

std::string hex4(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", value);
    return buffer;
}

std::string fixed(double value, int decimals)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "0";
    return std::string(buffer, end);
}

bool equalsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool isDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    if (year < 1900 || year > 2999 || month < 1 || month > 12 || day < 1)
        return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::uint32_t hash(const std::string& text)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    // Final avalanche so that neighbouring keys ("AI0", "AI1") spread well.
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    return h;
}

double unitHash(const std::string& text)
{
    return static_cast<double>(hash(text)) / 4294967296.0;
}

} // namespace xml_util
} // namespace zmpxi_sim
