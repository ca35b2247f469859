#pragma once
// Which of a board's two EEPROMs a tool works on, and the driver's words for it.

#include <string>

namespace z2e {

enum class EepromWhich { Base, Connector };

/// The root element of its document: "BaseEEPROM" or "ConEEPROM".
inline const char* eepromRootName(EepromWhich which)
{
    return which == EepromWhich::Base ? "BaseEEPROM" : "ConEEPROM";
}

/// "base" or "con", as journal lines and the command line name it.
inline const char* eepromShortName(EepromWhich which)
{
    return which == EepromWhich::Base ? "base" : "con";
}

} // namespace z2e
