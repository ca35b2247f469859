#include "config/check_diagnostics.h"

#include <utility>

namespace z2e {

const std::size_t CheckDiagnostics::kMaxFindings;

void CheckDiagnostics::add(std::string path, std::string reason)
{
    ++m_total;
    if (m_findings.size() >= kMaxFindings) {
        return;
    }
    m_findings.push_back(Finding{std::move(path), std::move(reason)});
}

void CheckDiagnostics::add(const pugi::xml_node& node, std::string reason)
{
    if (m_findings.size() >= kMaxFindings) {
        ++m_total;
        return;
    }
    add(node.path('/'), std::move(reason));
}

void CheckDiagnostics::clear()
{
    m_findings.clear();
    m_total = 0;
}

} // namespace z2e
