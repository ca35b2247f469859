#include "config/generic_element_checker_with_path.h"

#include <utility>

namespace z2e {

GenericElementCheckerWithPath::GenericElementCheckerWithPath(std::vector<std::string> attributes,
                                                             std::vector<std::string> childPaths,
                                                             std::string absolutePath)
    : GenericElementChecker(std::move(attributes), std::move(childPaths))
{
    std::size_t start = absolutePath.find_first_not_of('/');
    while (start != std::string::npos) {
        const std::size_t end = absolutePath.find('/', start);
        m_names.push_back(absolutePath.substr(start, end - start));
        start = absolutePath.find_first_not_of('/', end);
    }
}

bool GenericElementCheckerWithPath::check(const pugi::xml_node& element)
{
    pugi::xml_node node = element;
    for (auto name = m_names.rbegin(); name != m_names.rend(); ++name, node = node.parent()) {
        if (node.type() != pugi::node_element || *name != node.name())
            return true;
    }
    // The path starts at the document: the element at its top must be the root.
    if (node.type() != pugi::node_document)
        return true;
    return GenericElementChecker::check(element);
}

} // namespace z2e
