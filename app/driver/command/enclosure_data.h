#pragma once
// What an enclosure stores about itself, as the enclosure data tool writes it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace z2e {

struct EnclosureOption {
    std::string name;
    std::optional<std::int32_t> value; ///< none: written with an empty value
};

struct EnclosureData {
    std::uint32_t enclosureId = 0;
    std::string propertiesSerial;   ///< "EnclosureInfo/SerialNumber" of the properties
    std::string userData;           ///< "EnclosureInfo/UserData"; a single blank clears it
    std::uint32_t serialNumber = 0; ///< written as "EncName", eight upper-case hex digits
    std::int32_t type = 0;
    std::int32_t version = 0;
    std::vector<EnclosureOption> options;
};

} // namespace z2e
