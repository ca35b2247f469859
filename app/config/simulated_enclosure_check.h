#pragma once

#include "config/if_element_check.h"

namespace z2e {

/// Rules of SimulatedEnclosures: only ID entries, each with serial number, user data,
/// type and version, and a well-formed enclosure KEY when it has one.
class SimulatedEnclosureCheck : public IfElementCheck {
public:
    bool check(const pugi::xml_node& element) override;

private:
    bool checkEntry(const pugi::xml_node& entry) const;
    bool checkKey(const pugi::xml_node& key) const;
};

} // namespace z2e
