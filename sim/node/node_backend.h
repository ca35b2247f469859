#pragma once
// The driver behind the simulated nodes. The driver is one per process, so every node of a
// fleet shares it: they all serve the same boards, and what one node changes (firmware,
// EEPROM) the others see too.

#include "node_inventory.h"

#include "qorinet_api/client/qorinet_local_client_node.h"

#include <memory>
#include <mutex>
#include <string>

namespace nodesim {

class NodeBackend {
public:
    NodeBackend();
    ~NodeBackend();
    NodeBackend(const NodeBackend&) = delete;
    NodeBackend& operator=(const NodeBackend&) = delete;

    /// Loads and initialises the driver with simulated boards or the stand-in hardware (the
    /// folders come from the environment) and reads the inventory. False with `error` set when
    /// the driver cannot be loaded or initialised.
    bool start(bool simulation, std::string& error);
    /// De-initialises and unloads the driver.
    void stop();

    /// Reads the inventory again (after a server restart: firmware may have changed). The
    /// driver stays initialised, since the other nodes of a fleet keep using it.
    void refreshInventory();

    /// The driver, as a node interface whose operations forward to it.
    qorinet_api::QORINetIfClientNode& driver() { return m_driver; }
    /// The inventory as last read; safe to keep while the backend restarts.
    std::shared_ptr<const NodeInventory> inventory() const;
    bool simulation() const { return m_driver.isSimulation(); }

private:
    qorinet_api::QORINetLocalClientNode m_driver;
    bool m_simulation = false;
    mutable std::mutex m_lock;
    std::shared_ptr<const NodeInventory> m_inventory;
};

} // namespace nodesim
