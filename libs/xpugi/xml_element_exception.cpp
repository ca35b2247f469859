#include "xpugi/xml_element_exception.h"

#include <utility>

namespace xpugi {

xml_element_exception::xml_element_exception(std::string message) : m_message(std::move(message)) {}

const char* xml_element_exception::what() const noexcept
{
    return m_message.c_str();
}

} // namespace xpugi
