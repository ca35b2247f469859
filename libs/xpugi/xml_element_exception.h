#pragma once

#include <exception>
#include <string>

namespace xpugi {

/// Thrown when a node that is neither an element nor null is used as an element.
class xml_element_exception : public std::exception {
public:
    explicit xml_element_exception(std::string message);

    const char* what() const noexcept override;

private:
    std::string m_message;
};

} // namespace xpugi
