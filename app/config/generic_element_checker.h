#pragma once

#include <string>
#include <vector>

#include "config/if_element_check.h"

namespace z2e {

/// Accepts an element that carries every required attribute with a non-empty value and
/// in which every required child path (XPath, relative to the element) finds a node.
class GenericElementChecker : public IfElementCheck {
public:
    GenericElementChecker(std::vector<std::string> attributes, std::vector<std::string> childPaths);

    bool check(const pugi::xml_node& element) override;

private:
    std::vector<std::string> m_attributes;
    std::vector<std::string> m_childPaths;
};

} // namespace z2e
