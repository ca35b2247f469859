#include "uni/net_interface.h"

namespace uni {

std::string NetInterface::hardwareAddressText() const
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : hardwareAddress) {
        if (!text.empty())
            text += ':';
        text += digits[byte >> 4];
        text += digits[byte & 0x0f];
    }
    return text;
}

} // namespace uni
