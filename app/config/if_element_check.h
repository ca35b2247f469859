#pragma once

#include <functional>
#include <string>

#include <pugixml.hpp>

namespace z2e {

class CheckDiagnostics;

/// Rule for one kind of element of the driver configuration document.
class IfElementCheck {
public:
    virtual ~IfElementCheck();

    /// True when the element is well formed.
    virtual bool check(const pugi::xml_node& element) = 0;

    /// Where check() explains its rejections; null (the default) records nothing.
    /// The sink is not owned.
    void setDiagnostics(CheckDiagnostics* diagnostics) { m_diagnostics = diagnostics; }

protected:
    /// Records why node breaks a rule (when a sink is attached) and returns false.
    bool reject(const pugi::xml_node& node, const std::string& reason) const;

    // Rules on a named child element of parent; each rejects and returns false on failure.

    /// The child exists.
    bool requirePresent(const pugi::xml_node& parent, const char* name) const;
    /// The child exists and its text is not empty.
    bool requireNonEmpty(const pugi::xml_node& parent, const char* name) const;
    /// The child exists and its text is a signed 32-bit decimal integer.
    bool requireInteger(const pugi::xml_node& parent, const char* name) const;
    /// The attribute of element exists with a non-empty value.
    bool requireAttribute(const pugi::xml_node& element, const char* name) const;

    /// Runs `checkEntry` on every element child of `parent` whose name begins with "ID", and on
    /// its KEY child (when it has one) `checkKey`. Other element children are rejected unless
    /// `othersAllowed`. True when every entry passed.
    using EntryRule = std::function<bool(const pugi::xml_node&)>;
    bool checkIdEntries(const pugi::xml_node& parent, bool othersAllowed, const EntryRule& checkEntry,
                        const EntryRule& checkKey) const;

private:
    CheckDiagnostics* m_diagnostics = nullptr;
};

} // namespace z2e
