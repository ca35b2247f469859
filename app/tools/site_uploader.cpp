#include "tools/site_uploader.h"

#include "tools/asset_register.h"
#include "tools/site_register.h"
#include "uni/log.h"

#include <algorithm>

namespace z2e {

SiteUploader::SiteUploader(std::string folder, std::string connection, std::string computer, Timing timing,
                           Report report)
    : m_folder(std::move(folder)), m_connection(std::move(connection)), m_computer(std::move(computer)),
      m_timing(timing), m_report(std::move(report)), m_thread([this] { run(); })
{
}

SiteUploader::~SiteUploader()
{
    stop();
}

void SiteUploader::nudge()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_nudged = true;
    m_wake.notify_all();
}

void SiteUploader::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_wake.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

SiteUploader::Round SiteUploader::round()
{
    Round done;
    AssetRegister local(m_folder);
    if (!local.open()) {
        done.error = local.lastError();
        return done;
    }
    SiteRegister site(m_connection);
    SiteSync sync(local, site, m_computer);
    done.complete = sync.run(done.counts);
    done.error = sync.lastError();
    return done;
}

void SiteUploader::run()
{
    std::chrono::milliseconds backOff{0};
    bool away = false;
    for (;;) {
        Round done = round();
        backOff = done.complete
                      ? std::chrono::milliseconds(0)
                      : std::min(m_timing.longestBackOff, backOff.count() ? backOff * 2 : m_timing.firstBackOff);
        done.next = done.complete ? m_timing.interval : backOff;
        // Said once per outage: a log line a minute would bury everything else.
        if (!done.complete && !away)
            UNI_LOG("assets", uni::log::warning) << "site register not reached, retrying: " << done.error;
        if (done.complete && away)
            UNI_LOG("assets", uni::log::info) << "site register reached again; " << done.counts.sent << " records sent";
        away = !done.complete;
        if (m_report)
            m_report(done);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait_for(lock, done.next, [this] { return m_stopping || m_nudged; });
        if (m_stopping)
            return;
        m_nudged = false;
    }
}

} // namespace z2e
