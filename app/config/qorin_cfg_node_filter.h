#pragma once

#include <set>
#include <string>

#include "xpugi/node_filter.h"

namespace z2e {

/// Admits the elements of the configuration document that have a checker; passes over
/// everything else without ever ending the walk.
class QorinCfgNodeFilter : public xpugi::Traversal::NodeFilter {
public:
    QorinCfgNodeFilter();

    /// FILTER_ACCEPT for an admitted element name, FILTER_SKIP otherwise.
    int acceptNode(pugi::xml_node node) override;

private:
    std::set<std::string> m_names;
};

} // namespace z2e
