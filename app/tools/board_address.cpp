#include "tools/board_address.h"

#include "core/node_result_text.h"
#include "driver/command/driver_result.h"
#include "tools/board_identity.h"
#include "uni/number_text.h"

#include <algorithm>
#include <cctype>

namespace z2e {
namespace {

// More digits than any system has boards: such a number is a serial number.
constexpr std::size_t kMostIndexDigits = 4;
constexpr std::size_t kMostSerialLength = 32;

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

bool BoardAddress::parse(const std::string& text, BoardAddress& address, std::string& error)
{
    address = BoardAddress();
    address.m_text = text;
    if (text == "all") {
        address.m_kind = Kind::Every;
        return true;
    }
    const std::size_t slash = text.find('/');
    if (slash != std::string::npos) {
        const std::string enclosure = text.substr(0, slash);
        const std::string slot = text.substr(slash + 1);
        address.m_kind = Kind::Place;
        if (allDigits(enclosure) && allDigits(slot) && enclosure.size() <= kMostIndexDigits &&
            slot.size() <= kMostIndexDigits && uni::text::parseSignedDecimal(enclosure, address.m_enclosure) &&
            uni::text::parseSignedDecimal(slot, address.m_slot))
            return true;
        error = "--board " + text + ": enclosure/slot needs two numbers, as the tree shows them (0/2)";
        return false;
    }
    if (allDigits(text) && text.size() <= kMostIndexDigits) {
        address.m_kind = Kind::Index;
        address.m_index = static_cast<std::uint32_t>(std::stoul(text));
        return true;
    }
    const bool printable = std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isalnum(c); });
    if (text.empty() || text.size() > kMostSerialLength || !printable) {
        error = "--board needs ENCLOSURE/SLOT (0/2), a serial number, all, or the driver's board index";
        return false;
    }
    address.m_kind = Kind::Serial;
    return true;
}

bool BoardAddress::resolve(QorinNodeUtilWrapper& wrapper, std::vector<std::uint32_t>& boards, std::string& error) const
{
    boards.clear();
    const std::uint32_t count = wrapper.getBoardCount();
    if (m_kind == Kind::Index) {
        boards.push_back(m_index);
        return true;
    }
    std::string there;
    for (std::uint32_t board = 0; board < count; ++board) {
        std::string place;
        std::int32_t result = 0;
        if (names(wrapper, board, place, result))
            boards.push_back(board);
        if (DriverResult::linkFailed(result)) {
            error = "the place of board " + std::to_string(board) + " could not be read: " + failureAdvice(result);
            return false;
        }
        there += (there.empty() ? "" : ", ") + place;
    }
    if (!boards.empty())
        return true;
    error = "no board " + m_text + (count == 0 ? std::string(": the system has no boards") : "; boards here: " + there);
    return false;
}

bool BoardAddress::names(QorinNodeUtilWrapper& wrapper, std::uint32_t board, std::string& place,
                         std::int32_t& result) const
{
    std::int32_t enclosure = -1;
    std::int32_t slot = -1;
    result = wrapper.getBoardLocation(board, enclosure, slot);
    const std::string serial = BoardIdentity::read(wrapper, board).serial;
    place = std::to_string(enclosure) + "/" + std::to_string(slot) + (serial.empty() ? "" : " " + serial);
    switch (m_kind) {
    case Kind::None: return false;
    case Kind::Every: return true;
    case Kind::Place: return enclosure == m_enclosure && slot == m_slot;
    case Kind::Serial: return !serial.empty() && upper(serial) == upper(m_text);
    case Kind::Index: return board == m_index;
    }
    return false;
}

} // namespace z2e
