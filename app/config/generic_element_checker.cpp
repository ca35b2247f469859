#include "config/generic_element_checker.h"

#include <utility>

#include "xpugi/element.h"

namespace z2e {

GenericElementChecker::GenericElementChecker(std::vector<std::string> attributes, std::vector<std::string> childPaths)
    : m_attributes(std::move(attributes)), m_childPaths(std::move(childPaths))
{
}

bool GenericElementChecker::check(const pugi::xml_node& element)
{
    // Every rule is evaluated so that a report names all that is missing at once.
    bool ok = true;
    for (const std::string& name : m_attributes) {
        if (xpugi::attributeValue(element, name).empty()) {
            ok = reject(element, "attribute '" + name + "' missing or empty");
        }
    }
    for (const std::string& path : m_childPaths) {
        if (!xpugi::selectFirst(element, path)) {
            ok = reject(element, "'" + path + "' missing");
        }
    }
    return ok;
}

} // namespace z2e
