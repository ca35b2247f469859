#include "tools/bus_frame_text.h"

#include "uni/number_text.h"

namespace z2e {

bool BusFrameText::parseId(const std::string& text, std::uint32_t& id, bool& extended, std::string& error)
{
    std::uint32_t value = 0;
    if (!uni::text::parseHex32(text, value) || value > kMaxExtendedId) {
        error = "the CAN id " + text +
                " is not one: give it in hexadecimal, 0 to 7FF (standard) or up to 1FFFFFFF "
                "(extended)";
        return false;
    }
    id = value;
    extended = value > kMaxStandardId;
    return true;
}

bool BusFrameText::parseData(const std::string& text, std::size_t maxBytes, std::vector<std::uint8_t>& data,
                             std::string& error)
{
    std::string digits;
    for (const char c : text) {
        if (c != ' ' && c != ':' && c != '.')
            digits += c;
    }
    if (digits == "-")
        digits.clear();
    const bool pairs = digits.size() % 2 == 0 && digits.find_first_of("xX") == std::string::npos;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; pairs && i < digits.size(); i += 2) {
        std::uint32_t byte = 0;
        if (!uni::text::parseHex32(digits.substr(i, 2), byte))
            break;
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    if (!pairs || bytes.size() * 2 != digits.size()) {
        error = "the data " + text + " is not bytes in hexadecimal: give pairs of digits such as DEAD01 or DE:AD:01";
        return false;
    }
    if (bytes.size() > maxBytes) {
        error = "the data has " + std::to_string(bytes.size()) + " bytes; at most " + std::to_string(maxBytes) + " fit";
        return false;
    }
    data = bytes;
    return true;
}

std::string BusFrameText::hex(const BusBytes& data)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : data) {
        if (!text.empty())
            text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string BusFrameText::printable(const BusBytes& data)
{
    std::string text;
    for (const std::uint8_t byte : data)
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
    return text;
}

} // namespace z2e
