#include "config/qorin_cfg_node_filter.h"

namespace z2e {

QorinCfgNodeFilter::QorinCfgNodeFilter()
    : m_names{"zmpxi_api_config", "Configuration",       "Logger",         "ParamUpdate", "Misc", "Simulation",
              "SimulationMode",   "SimulatedEnclosures", "SimulatedBoards"}
{
}

int QorinCfgNodeFilter::acceptNode(pugi::xml_node node)
{
    return m_names.count(node.name()) != 0 ? FILTER_ACCEPT : FILTER_SKIP;
}

} // namespace z2e
