#pragma once
// The driver's listings: board and enclosure models, base EEPROM generations, firmware
// files, software versions, and the default base EEPROM of a generation.

#include <cstdint>
#include <string>

namespace zmpxi_sim {

class ListingDocuments {
public:
    /// The driver's version text, "major.minor.build.patch".
    static const char* driverVersion();

    static std::string boardKey2Name();
    static std::string enclosureKey2Name();
    static std::string enclosureListing();
    static std::string baseEepromEntries();
    static std::string firmwareListing();
    static std::string systemVersions(const std::string& configDir);
    /// `request` is "<BaseEEPROM BaseModel='..' BaseVersion='..'/>"; false for an unknown generation.
    static bool defaultBaseEeprom(const std::string& request, std::string& document, std::int32_t& result);
};

} // namespace zmpxi_sim
