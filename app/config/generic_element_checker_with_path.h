#pragma once

#include <string>
#include <vector>

#include "config/generic_element_checker.h"

namespace z2e {

/// GenericElementChecker limited to the element at one absolute path: the same name
/// elsewhere in the document (e.g. in the documentation section) always passes.
class GenericElementCheckerWithPath : public GenericElementChecker {
public:
    GenericElementCheckerWithPath(std::vector<std::string> attributes, std::vector<std::string> childPaths,
                                  std::string absolutePath);

    bool check(const pugi::xml_node& element) override;

private:
    /// Names from the root down; compared from the element upwards, so that an element deep
    /// in a hostile file costs no more than the path is long.
    std::vector<std::string> m_names;
};

} // namespace z2e
