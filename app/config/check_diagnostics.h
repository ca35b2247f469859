#pragma once

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace z2e {

/// Collects why elements of a configuration document were rejected.
///
/// Checkers report into it only when one is attached; the yes/no outcome of a check
/// never depends on it.
class CheckDiagnostics {
public:
    /// One rejected rule: absolute path of the offending element and a short reason.
    struct Finding {
        std::string path;
        std::string reason;
    };

    /// Records a finding; stops recording (but keeps counting) beyond kMaxFindings.
    void add(std::string path, std::string reason);
    /// add() with the path of `node`, worked out only while findings are still recorded: a
    /// path costs as much as the element is deep.
    void add(const pugi::xml_node& node, std::string reason);

    const std::vector<Finding>& findings() const { return m_findings; }

    /// Findings offered to add(), including those dropped beyond kMaxFindings.
    std::size_t total() const { return m_total; }

    bool empty() const { return m_total == 0; }

    void clear();

    /// Bounds memory on hostile documents with huge numbers of bad entries.
    static const std::size_t kMaxFindings = 1000;

private:
    std::vector<Finding> m_findings;
    std::size_t m_total = 0;
};

} // namespace z2e
