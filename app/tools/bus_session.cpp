#include "tools/bus_session.h"

#include <algorithm>

namespace z2e {

BusSession::BusSession(std::shared_ptr<QorinNodeUtilWrapper> wrapper) : m_wrapper(std::move(wrapper)) {}

BusSession::~BusSession()
{
    stop();
    wait();
}

bool BusSession::start(const BusMonitorSettings& settings, std::chrono::milliseconds statusEvery)
{
    if (m_running.load() || !m_wrapper)
        return false;
    wait();
    m_cancel = false;
    m_limit = std::max<std::size_t>(settings.ringSize, 1);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.clear();
        m_dropped = 0;
        m_status.reset();
        m_result.reset();
    }
    m_monitor = std::make_unique<BusMonitor>(*m_wrapper);
    m_monitor->setStatusSink(
        [this](const BusMonitorStatus& status) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_status = status;
        },
        statusEvery);
    m_monitor->setBatchSink([this](const std::vector<BusRecord>& batch) { keep(batch); });
    m_running = true;
    m_thread = std::thread([this, settings] {
        BusMonitorResult result = m_monitor->run(settings, m_cancel);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_status = result.status();
            m_result = std::move(result);
        }
        m_running = false;
    });
    return true;
}

void BusSession::stop()
{
    m_cancel = true;
}

void BusSession::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void BusSession::send(const BusSend& send)
{
    if (m_monitor)
        m_monitor->addSend(send);
}

void BusSession::stopSends()
{
    if (m_monitor)
        m_monitor->stopSends();
}

void BusSession::keep(const std::vector<BusRecord>& batch)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.insert(m_pending.end(), batch.begin(), batch.end());
    if (m_pending.size() > m_limit) {
        const std::size_t excess = m_pending.size() - m_limit;
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(excess));
        m_dropped += excess;
    }
}

void BusSession::take(std::vector<BusRecord>& frames, std::uint64_t& dropped)
{
    frames.clear();
    const std::lock_guard<std::mutex> lock(m_mutex);
    frames.swap(m_pending);
    dropped += m_dropped;
    m_dropped = 0;
}

std::optional<BusMonitorStatus> BusSession::status() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

std::optional<BusMonitorResult> BusSession::finished()
{
    if (m_running.load())
        return std::nullopt;
    wait();
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::optional<BusMonitorResult> result;
    result.swap(m_result);
    return result;
}

} // namespace z2e
