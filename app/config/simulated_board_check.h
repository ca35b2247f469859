#pragma once

#include "config/if_element_check.h"

namespace z2e {

/// Rules of SimulatedBoards: an integer AIScale when present, and for each ID entry its
/// position, firmware revision, serial number and a well-formed board KEY when it has one.
/// Other elements are left alone.
class SimulatedBoardCheck : public IfElementCheck {
public:
    bool check(const pugi::xml_node& element) override;

private:
    bool checkEntry(const pugi::xml_node& entry) const;
    bool checkKey(const pugi::xml_node& key) const;
};

} // namespace z2e
