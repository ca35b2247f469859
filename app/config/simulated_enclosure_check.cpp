#include "config/simulated_enclosure_check.h"

#include <cstring>

namespace z2e {

namespace {

bool isEntryName(const char* name)
{
    return std::strncmp(name, "ID", 2) == 0;
}

}  // namespace

bool SimulatedEnclosureCheck::check(const pugi::xml_node& element)
{
    bool ok = true;
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (!isEntryName(child.name())) {
            ok = reject(child, "only ID entries are allowed here");
            continue;
        }
        ok = checkEntry(child) && ok;
    }
    return ok;
}

bool SimulatedEnclosureCheck::checkEntry(const pugi::xml_node& entry) const
{
    bool ok = requireNonEmpty(entry, "SerialNumber");
    ok = requirePresent(entry, "UserData") && ok;
    ok = requireNonEmpty(entry, "EncType") && ok;
    ok = requireNonEmpty(entry, "EncVersion") && ok;
    const pugi::xml_node key = entry.child("KEY");
    if (key) {
        ok = checkKey(key) && ok;
    }
    return ok;
}

bool SimulatedEnclosureCheck::checkKey(const pugi::xml_node& key) const
{
    bool ok = requireAttribute(key, "EncName");
    ok = requireNonEmpty(key, "Name") && ok;
    for (const char* name : {"SubVersion", "UserSlotCnt", "SlotNoOffset", "StarHubSlot"}) {
        ok = requireInteger(key, name) && ok;
    }
    ok = requirePresent(key, "SystemInfo") && ok;
    return ok;
}

}  // namespace z2e
