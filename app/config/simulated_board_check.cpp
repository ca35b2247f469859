#include "config/simulated_board_check.h"

#include <cstring>

namespace z2e {

bool SimulatedBoardCheck::check(const pugi::xml_node& element)
{
    bool ok = true;
    if (element.child("AIScale")) {
        ok = requireInteger(element, "AIScale");
    }
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() != pugi::node_element || std::strncmp(child.name(), "ID", 2) != 0) {
            continue;
        }
        ok = checkEntry(child) && ok;
    }
    return ok;
}

bool SimulatedBoardCheck::checkEntry(const pugi::xml_node& entry) const
{
    bool ok = requireInteger(entry, "EncNumber");
    ok = requireInteger(entry, "SlotNumber") && ok;
    ok = requireNonEmpty(entry, "FWRevision") && ok;
    ok = requirePresent(entry, "SerialNumber") && ok;
    const pugi::xml_node key = entry.child("KEY");
    if (key) {
        ok = checkKey(key) && ok;
    }
    return ok;
}

bool SimulatedBoardCheck::checkKey(const pugi::xml_node& key) const
{
    bool ok = true;
    for (const char* name : {"BaseModel", "BaseVersion", "ConModel", "ConVersion"}) {
        ok = requireAttribute(key, name) && ok;
    }
    ok = requireNonEmpty(key, "FamilyName") && ok;
    ok = requireNonEmpty(key, "Type") && ok;
    ok = requirePresent(key, "ConBv") && ok;
    ok = requireNonEmpty(key, "DisplayName") && ok;
    return ok;
}

}  // namespace z2e
