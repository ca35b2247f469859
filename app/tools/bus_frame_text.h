#pragma once
// CAN identifiers and frame or UART data as people type and read them: hexadecimal.

#include "tools/bus_bytes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class BusFrameText {
public:
    static constexpr std::uint32_t kMaxStandardId = 0x7FF;
    static constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;
    static constexpr std::size_t kMaxCanData = 8;

    /// A CAN identifier in hexadecimal ("123", "0x18FF0001"); above 0x7FF it is extended.
    /// False with `error` in words for anything else.
    static bool parseId(const std::string& text, std::uint32_t& id, bool& extended, std::string& error);
    /// Bytes as pairs of hexadecimal digits, optionally apart by blanks, ':' or '.';
    /// "" or "-" is no data. At most `maxBytes`; false with `error` in words otherwise.
    static bool parseData(const std::string& text, std::size_t maxBytes, std::vector<std::uint8_t>& data,
                          std::string& error);
    /// "DE AD 01": upper-case pairs one blank apart.
    static std::string hex(const BusBytes& data);
    /// The bytes as text, '.' for each that is not printable ASCII.
    static std::string printable(const BusBytes& data);
};

} // namespace z2e
