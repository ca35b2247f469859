#pragma once
// Reads the fleet for the Fleet tab behind the progress window: this computer through the
// window's driver and every network node (those the window lists are asked by address, others
// found by broadcast) on links of their own, a bounded number at a time. Each system's boards
// reach the GUI thread as that system ends, so the table fills while the rest are read.

#include "core/network_client_settings.h"
#include "tools/fleet_board.h"
#include "tools/fleet_scan.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace z2e {

class QorinNodeUtilWrapper;
class SystemModel;
struct NetworkNodeRecord;

class FleetCollection {
public:
    struct Systems {
        QorinNodeUtilWrapper* local = nullptr; ///< null: this computer's boards are not read
        std::vector<std::string> nodes;        ///< addresses of the nodes the window lists
        bool network = true;                   ///< false: the window's network side is off
        std::uint16_t basePort = 0;            ///< 0: the default
        std::uint32_t scanMs = 2500;           ///< how long to wait for nodes to answer
        unsigned parallel = FleetScan::kDefaultReadParallel;
    };
    /// One system's outcome, on the GUI thread.
    using Arrived = std::function<void(const std::string& system, const std::string& address, std::int32_t result,
                                       std::vector<FleetBoard> boards)>;

    /// What to read: this computer through `system` when start-up read it (`startupStatus` Ok;
    /// else the window says why not), the nodes `listed` in the window (list row and record),
    /// on the networks and port the window's client uses.
    static Systems systemsOf(SystemModel* system, std::int32_t startupStatus,
                             const std::vector<std::pair<int, const NetworkNodeRecord*>>& listed,
                             const NetworkClientSettings& network);
    /// Reads `systems`; `arrived` runs in `receiver`'s thread (the GUI's) for each. Returns when
    /// all are read or Cancel was pressed (systems not begun are then left; those running end
    /// with their requests). 0, or the status of a network client that could not start.
    static std::int32_t read(const Systems& systems, QWidget* parent, QObject* receiver, const Arrived& arrived);
};

} // namespace z2e
