#pragma once

#include <set>
#include <string>

#include "config/if_element_check.h"

namespace z2e {

/// Accepts an element whose (trimmed) text is one of a fixed set of values, case-sensitive.
class ElementTextValueChecker : public IfElementCheck {
public:
    explicit ElementTextValueChecker(std::set<std::string> allowed);

    bool check(const pugi::xml_node& element) override;

private:
    std::set<std::string> m_allowed;
};

} // namespace z2e
