#include "config/simulated_enclosure_check.h"

namespace z2e {

bool SimulatedEnclosureCheck::check(const pugi::xml_node& element)
{
    return checkIdEntries(
        element, false, [this](const pugi::xml_node& entry) { return checkEntry(entry); },
        [this](const pugi::xml_node& key) { return checkKey(key); });
}

bool SimulatedEnclosureCheck::checkEntry(const pugi::xml_node& entry) const
{
    bool ok = requireNonEmpty(entry, "SerialNumber");
    ok = requirePresent(entry, "UserData") && ok;
    ok = requireNonEmpty(entry, "EncType") && ok;
    return requireNonEmpty(entry, "EncVersion") && ok;
}

bool SimulatedEnclosureCheck::checkKey(const pugi::xml_node& key) const
{
    bool ok = requireAttribute(key, "EncName");
    ok = requireNonEmpty(key, "Name") && ok;
    for (const char* name : {"SubVersion", "UserSlotCnt", "SlotNoOffset", "StarHubSlot"})
        ok = requireInteger(key, name) && ok;
    return requirePresent(key, "SystemInfo") && ok;
}

} // namespace z2e
