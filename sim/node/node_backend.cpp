#include "node_backend.h"

#include "zmpxi/driver_api.h"

namespace nodesim {

NodeBackend::NodeBackend() : m_driver(0), m_inventory(std::make_shared<NodeInventory>()) {}

NodeBackend::~NodeBackend()
{
    stop();
}

bool NodeBackend::start(bool simulation, std::string& error)
{
    m_simulation = simulation;
    if (z2e::loadDriverApi() == 0) {
        error = std::string("cannot load ") + z2e::driverLibraryName() + ": " + z2e::lastDriverLoadError();
        return false;
    }
    // Set before every init: the mode decides between the configuration's simulated boards
    // and the hardware description. Long operations let other calls (other nodes) go on.
    m_driver.SetParamStruct_str("driver/api/config/simulation", "mode", m_simulation ? "SIMMODE_FORCE" : "SIMMODE_OFF");
    m_driver.SetParamStruct_str("driver/api/config/xml", "AllowCachedMergeResult", "false");
    m_driver.SetParamStruct_str("driver/api/config/thread", "Enabled", "true");
    const std::int32_t result = m_driver.connect();
    if (result > 0) {
        error = "driver initialisation failed with " + std::to_string(result);
        return false;
    }
    refreshInventory();
    return true;
}

void NodeBackend::refreshInventory()
{
    auto inventory = std::make_shared<const NodeInventory>(
        NodeInventory::read(m_driver, m_driver.getBoardCount(), m_driver.getEnclosureCount()));
    std::lock_guard<std::mutex> lock(m_lock);
    m_inventory = std::move(inventory);
}

void NodeBackend::stop()
{
    if (m_driver.isConnected())
        m_driver.disconnect();
}

std::shared_ptr<const NodeInventory> NodeBackend::inventory() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_inventory;
}

} // namespace nodesim
