#pragma once

#include <map>
#include <memory>
#include <string>

#include <pugixml.hpp>

#include "config/if_element_check.h"

namespace z2e {

class CheckDiagnostics;

/// Structural validation of a driver configuration document.
///
/// Walks every element; each one whose name has a registered checker must pass it.
/// The walk always covers the whole document so that diagnostics name every fault.
class QorinCfgCheck {
public:
    /// Builds the checker table of the configuration document.
    QorinCfgCheck();

    /// True when every checked element passes. When diagnostics is given, each rejected
    /// rule is appended to it.
    bool checkDocument(const pugi::xml_document& document, CheckDiagnostics* diagnostics = nullptr);

    /// Validity flag of the last walk.
    bool valid() const { return m_valid; }

private:
    void checkElement(const pugi::xml_node& element, CheckDiagnostics* diagnostics);

    std::map<std::string, std::shared_ptr<IfElementCheck>> m_checkers;
    bool m_valid = true;
};

} // namespace z2e
