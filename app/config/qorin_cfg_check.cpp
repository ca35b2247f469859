#include "config/qorin_cfg_check.h"

#include <exception>

#include "config/check_diagnostics.h"
#include "config/element_text_value_checker.h"
#include "config/generic_element_checker.h"
#include "config/generic_element_checker_with_path.h"
#include "config/qorin_cfg_node_filter.h"
#include "config/simulated_board_check.h"
#include "config/simulated_enclosure_check.h"
#include "xpugi/filter_tree_walker.h"

namespace z2e {

QorinCfgCheck::QorinCfgCheck()
{
    using Names = std::vector<std::string>;
    m_checkers["zmpxi_api_config"] =
        std::make_shared<GenericElementChecker>(Names{}, Names{"Definition", "Configuration"});
    m_checkers["Configuration"] =
        std::make_shared<GenericElementChecker>(Names{}, Names{"Logger", "ParamUpdate", "Misc", "Simulation"});
    // Logger, ParamUpdate and Misc also appear in the documentation section, which the
    // driver never reads: only the ones under Configuration are held to the rules.
    m_checkers["Logger"] = std::make_shared<GenericElementCheckerWithPath>(
        Names{}, Names{"LogLevel", "LogType", "LogAppend", "LogFile", "CmdLogFile"},
        "/zmpxi_api_config/Configuration/Logger");
    m_checkers["ParamUpdate"] = std::make_shared<GenericElementCheckerWithPath>(
        Names{}, Names{"ForceUpdateChannel", "ForceUpdateAcquisition"}, "/zmpxi_api_config/Configuration/ParamUpdate");
    m_checkers["Misc"] = std::make_shared<GenericElementCheckerWithPath>(Names{}, Names{"ResultType"},
                                                                         "/zmpxi_api_config/Configuration/Misc");
    m_checkers["Simulation"] =
        std::make_shared<GenericElementChecker>(Names{}, Names{"SimulatedEnclosures", "SimulatedBoards"});
    m_checkers["SimulationMode"] = std::make_shared<ElementTextValueChecker>(
        std::set<std::string>{"SIMMODE_NORMAL", "SIMMODE_OFF", "SIMMODE_FORCE"});
    m_checkers["SimulatedEnclosures"] = std::make_shared<SimulatedEnclosureCheck>();
    m_checkers["SimulatedBoards"] = std::make_shared<SimulatedBoardCheck>();
}

bool QorinCfgCheck::checkDocument(const pugi::xml_document& document, CheckDiagnostics* diagnostics)
{
    // Each walk judges its own document: a fault found earlier must not stick.
    m_valid = true;
    for (auto& entry : m_checkers) {
        entry.second->setDiagnostics(diagnostics);
    }
    QorinCfgNodeFilter filter;
    xpugi::Traversal::FilterTreeWalker walker(
        xpugi::Traversal::MASK_ELEMENT, filter,
        [this, diagnostics](pugi::xml_node node) { checkElement(node, diagnostics); });
    pugi::xml_node root = document; // traverse() is not const, the handle copy is
    root.traverse(walker);
    for (auto& entry : m_checkers) {
        entry.second->setDiagnostics(nullptr);
    }
    return m_valid;
}

void QorinCfgCheck::checkElement(const pugi::xml_node& element, CheckDiagnostics* diagnostics)
{
    const auto found = m_checkers.find(element.name());
    if (found == m_checkers.end()) {
        return;
    }
    try {
        if (!found->second->check(element)) {
            m_valid = false;
        }
    } catch (const std::exception& e) {
        // A checker only ever sees elements, so this stays a safety net.
        m_valid = false;
        if (diagnostics != nullptr) {
            diagnostics->add(element, e.what());
        }
    }
}

} // namespace z2e
