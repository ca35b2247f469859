#include "config/generic_element_checker_with_path.h"

#include <utility>

#include "xpugi/element.h"

namespace z2e {

GenericElementCheckerWithPath::GenericElementCheckerWithPath(std::vector<std::string> attributes,
                                                             std::vector<std::string> childPaths,
                                                             std::string absolutePath)
    : GenericElementChecker(std::move(attributes), std::move(childPaths)), m_path(std::move(absolutePath))
{
}

bool GenericElementCheckerWithPath::check(const pugi::xml_node& element)
{
    if (xpugi::elementPath(element) != m_path) {
        return true;
    }
    return GenericElementChecker::check(element);
}

}  // namespace z2e
