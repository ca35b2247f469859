#pragma once
// Sends the local register's new records to the site register in the background: a round at
// once, then one each interval while the server answers, and after a back-off that doubles up
// to a limit while it does not. Tools never wait for it and never learn of a server that is
// down; an outage is logged once, and once more when the server is back.
//
// The rounds run on a thread of the uploader's own, each with its own connections. stop() (and
// the destructor) ends a wait at once and a round within libpq's time-outs (10 s to connect).

#include "tools/site_sync.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace z2e {

struct SiteUploadTiming {
    std::chrono::milliseconds interval{std::chrono::minutes(1)};
    std::chrono::milliseconds firstBackOff{std::chrono::seconds(5)};
    std::chrono::milliseconds longestBackOff{std::chrono::minutes(10)};
};

/// What a round did, and how long the uploader now waits.
struct SiteUploadRound {
    bool complete = false;
    SiteSyncCounts counts;
    std::string error; ///< without the connection string
    std::chrono::milliseconds next{0};
};

class SiteUploader {
public:
    using Timing = SiteUploadTiming;
    using Round = SiteUploadRound;
    /// Told after each round, on the uploader's thread.
    using Report = std::function<void(const Round&)>;

    /// Starts at once on the register of the documents folder `folder`.
    SiteUploader(std::string folder, std::string connection, std::string computer, Timing timing = {},
                 Report report = {});
    ~SiteUploader();
    SiteUploader(const SiteUploader&) = delete;
    SiteUploader& operator=(const SiteUploader&) = delete;

    /// A round now rather than after the wait (a tool has just recorded something).
    void nudge();
    void stop();

private:
    void run();
    Round round();

    std::string m_folder;
    std::string m_connection;
    std::string m_computer;
    Timing m_timing;
    Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_nudged = false;
    std::thread m_thread;
};

} // namespace z2e
