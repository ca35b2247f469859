#include "config/simulated_board_check.h"

namespace z2e {

bool SimulatedBoardCheck::check(const pugi::xml_node& element)
{
    bool ok = true;
    if (element.child("AIScale"))
        ok = requireInteger(element, "AIScale");
    // Other elements (AIScale among them) may sit beside the board entries.
    return checkIdEntries(
               element, true, [this](const pugi::xml_node& entry) { return checkEntry(entry); },
               [this](const pugi::xml_node& key) { return checkKey(key); }) &&
           ok;
}

bool SimulatedBoardCheck::checkEntry(const pugi::xml_node& entry) const
{
    bool ok = requireInteger(entry, "EncNumber");
    ok = requireInteger(entry, "SlotNumber") && ok;
    ok = requireNonEmpty(entry, "FWRevision") && ok;
    return requirePresent(entry, "SerialNumber") && ok;
}

bool SimulatedBoardCheck::checkKey(const pugi::xml_node& key) const
{
    bool ok = true;
    for (const char* name : {"BaseModel", "BaseVersion", "ConModel", "ConVersion"})
        ok = requireAttribute(key, name) && ok;
    ok = requireNonEmpty(key, "FamilyName") && ok;
    ok = requireNonEmpty(key, "Type") && ok;
    ok = requirePresent(key, "ConBv") && ok;
    return requireNonEmpty(key, "DisplayName") && ok;
}

} // namespace z2e
