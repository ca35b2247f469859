#pragma once
// A bus monitor run on a thread of its own, for a window that must never wait on the bus: the
// frames shown gather until taken, at most a ring's worth, the counts arrive each second, and
// sends join the running monitor. The run ends, and the channels are stopped and the bus
// closed, when stop() is called or the session is destroyed.

#include "tools/bus_monitor.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace z2e {

class BusSession {
public:
    explicit BusSession(std::shared_ptr<QorinNodeUtilWrapper> wrapper);
    /// Stops the run and waits for its end: the bus is closed when the session is gone.
    ~BusSession();
    BusSession(const BusSession&) = delete;
    BusSession& operator=(const BusSession&) = delete;

    /// Begins a run; false while one is still going.
    bool start(const BusMonitorSettings& settings, std::chrono::milliseconds statusEvery = std::chrono::seconds(1));
    /// Asks the run to end; returns at once.
    void stop();
    /// Waits for the run's end (after stop(), or for a run that ends by itself).
    void wait();
    bool running() const { return m_running.load(); }

    void send(const BusSend& send);
    void stopSends();

    /// The frames shown since the last take, oldest first, in place of what `frames` held: its
    /// storage serves the next frames, so that a steady run allocates nothing. Those that a full
    /// buffer pushed out before they were taken are added to `dropped`.
    void take(std::vector<BusRecord>& frames, std::uint64_t& dropped);
    /// The counts last told; nullopt before the first.
    std::optional<BusMonitorStatus> status() const;
    /// The result of a run that ended, once; nullopt while running or after it was taken.
    std::optional<BusMonitorResult> finished();

private:
    void keep(const std::vector<BusRecord>& batch);

    std::shared_ptr<QorinNodeUtilWrapper> m_wrapper;
    std::unique_ptr<BusMonitor> m_monitor;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    std::size_t m_limit = 1000;

    mutable std::mutex m_mutex;
    std::vector<BusRecord> m_pending;         ///< guarded by m_mutex
    std::uint64_t m_dropped = 0;              ///< guarded by m_mutex
    std::optional<BusMonitorStatus> m_status; ///< guarded by m_mutex
    std::optional<BusMonitorResult> m_result; ///< guarded by m_mutex
};

} // namespace z2e
