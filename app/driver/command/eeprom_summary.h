#pragma once
// The facts the EEPROM tools need from a base EEPROM document.

#include <string>

namespace z2e {

struct EepromSummary {
    std::string name;         ///< root attribute "Name"
    std::string baseModel;    ///< "BoardInfo/BaseModel"
    std::string baseVersion;  ///< "BoardInfo/BaseVersion"
    std::string serialNumber; ///< "BoardInfo/SerialNumber"
    bool fromEeprom = false;  ///< "Source" reads "E2Prom" in any case: the content came from the chip
};

/// Fills `summary` from the document; false (summary untouched) when it does not parse.
/// Missing elements leave their fields empty.
bool parseEepromSummary(const std::string& document, EepromSummary& summary);

} // namespace z2e
