#include "config/if_element_check.h"

#include <cstdint>
#include <cstring>

#include "config/check_diagnostics.h"
#include "uni/number_text.h"
#include "xpugi/element.h"

namespace z2e {

IfElementCheck::~IfElementCheck() = default;

bool IfElementCheck::reject(const pugi::xml_node& node, const std::string& reason) const
{
    if (m_diagnostics != nullptr) {
        m_diagnostics->add(node, reason);
    }
    return false;
}

bool IfElementCheck::requirePresent(const pugi::xml_node& parent, const char* name) const
{
    if (parent.child(name)) {
        return true;
    }
    return reject(parent, std::string("'") + name + "' missing");
}

bool IfElementCheck::requireNonEmpty(const pugi::xml_node& parent, const char* name) const
{
    if (!requirePresent(parent, name)) {
        return false;
    }
    const pugi::xml_node child = parent.child(name);
    if (!xpugi::elementText(child).empty()) {
        return true;
    }
    return reject(child, "text is empty");
}

bool IfElementCheck::requireInteger(const pugi::xml_node& parent, const char* name) const
{
    if (!requirePresent(parent, name)) {
        return false;
    }
    const pugi::xml_node child = parent.child(name);
    const std::string text = xpugi::elementText(child);
    std::int32_t value = 0;
    if (uni::text::parseSignedDecimal(text, value)) {
        return true;
    }
    return reject(child, "text '" + text + "' is not a 32-bit decimal integer");
}

bool IfElementCheck::requireAttribute(const pugi::xml_node& element, const char* name) const
{
    if (!xpugi::attributeValue(element, name).empty()) {
        return true;
    }
    return reject(element, std::string("attribute '") + name + "' missing or empty");
}

bool IfElementCheck::checkIdEntries(const pugi::xml_node& parent, bool othersAllowed, const EntryRule& checkEntry,
                                    const EntryRule& checkKey) const
{
    bool ok = true;
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (std::strncmp(child.name(), "ID", 2) != 0) {
            if (!othersAllowed)
                ok = reject(child, "only ID entries are allowed here");
            continue;
        }
        ok = checkEntry(child) && ok;
        const pugi::xml_node key = child.child("KEY");
        if (key)
            ok = checkKey(key) && ok;
    }
    return ok;
}

} // namespace z2e
