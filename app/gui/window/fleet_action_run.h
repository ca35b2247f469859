#pragma once
// One board tool on the boards chosen in the Fleet tab, behind the progress window with Cancel:
// this computer through the window's driver, each network node on a link of its own, at most 8
// systems at a time, the boards of one system in order. Every board's outcome reaches the GUI
// thread as it ends; every change is journalled as when the tool runs on one board.

#include "gui/window/fleet_collection.h"
#include "tools/fleet_action.h"

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace z2e {

class FleetActionRun {
public:
    /// The boards chosen on one system, by serial number.
    struct Chosen {
        std::string system;
        std::string address; ///< empty: this computer
        std::vector<std::string> serials;
    };
    using BoardDone = std::function<void(const Chosen& system, const FleetBoardOutcome& outcome)>;
    using SystemDone = std::function<void(const Chosen& system, const FleetSystemOutcome& outcome)>;

    /// Runs `settings`' tool on `chosen`, reaching the systems as `systems` says; the callbacks
    /// run in `receiver`'s thread. Returns when every system has ended or was left by Cancel.
    static void run(const FleetActionSettings& settings, const std::vector<Chosen>& chosen,
                    const FleetCollection::Systems& systems, QWidget* parent, QObject* receiver,
                    const BoardDone& boardDone, const SystemDone& systemDone);
};

} // namespace z2e
