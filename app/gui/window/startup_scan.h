#pragma once
// The system's first reading, begun while the window is still being built: the driver's start,
// the scan (mostly waiting for the hardware) and the demo tab's model listings then overlap with
// the window's construction instead of following it. Before the scan, changes a killed run left
// unfinished are journalled as interrupted.
//
// The system model is the scan's alone from start() until wait() has returned.

#include "core/model_picker.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace z2e {

class SystemModel;

class StartupScan {
public:
    StartupScan() = default;
    StartupScan(const StartupScan&) = delete;
    StartupScan& operator=(const StartupScan&) = delete;
    /// A scan never waited for ends before its system goes.
    ~StartupScan();

    void start(SystemModel& system);
    /// The scan has ended: wait() returns at once.
    bool ended() const { return m_ended; }
    /// The scan's status (that of SystemModel::initializeSystem) once it has ended; a scan whose
    /// thread could not start runs here instead. The same status again on later calls.
    std::int32_t wait();
    /// After wait(): the model listings, once.
    ModelPicker::Listings takeListings() { return std::move(m_listings); }

private:
    void scan();

    SystemModel* m_system = nullptr;
    std::thread m_thread;
    std::int32_t m_status = -1;
    ModelPicker::Listings m_listings;
    std::atomic<bool> m_ended{false};
    bool m_waited = false;
};

} // namespace z2e
