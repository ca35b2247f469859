#include "config/element_text_value_checker.h"

#include <utility>

#include "xpugi/element.h"

namespace z2e {

ElementTextValueChecker::ElementTextValueChecker(std::set<std::string> allowed) : m_allowed(std::move(allowed)) {}

bool ElementTextValueChecker::check(const pugi::xml_node& element)
{
    const std::string text = xpugi::elementText(element);
    if (m_allowed.count(text) != 0) {
        return true;
    }
    std::string expected;
    for (const std::string& value : m_allowed) {
        expected += expected.empty() ? value : ", " + value;
    }
    return reject(element, "value '" + text + "' is not one of " + expected);
}

} // namespace z2e
