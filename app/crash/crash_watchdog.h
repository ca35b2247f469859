#pragma once
// A helper process forked when crash reporting starts. A crashed process cannot safely build an
// archive, so it only streams the raw facts over a socket pair to the watchdog, which was forked
// while the process was healthy and writes the report.

#include "crash/crash_report_record.h"

#include <sys/types.h>

#include <string>

namespace crash_monitor {

class CrashWatchdog {
public:
    CrashWatchdog() = default;
    ~CrashWatchdog();
    CrashWatchdog(const CrashWatchdog&) = delete;
    CrashWatchdog& operator=(const CrashWatchdog&) = delete;

    /// Forks the watchdog; its reports go into `reportFolder` (which must exist). False, with
    /// `error` set, when the channel or the process cannot be made.
    bool start(const std::string& reportFolder, const std::string& applicationName, std::string& error);
    /// Ends the watchdog by closing the channel and reaps it.
    void stop();

    bool running() const { return m_pid > 0; }
    /// The monitored process's end of the channel; -1 when not running.
    int channel() const { return m_socket; }

    /// Adds a file to every future report.
    bool attach(const AttachedFile& file);
    /// Names the screenshot file copied into every future report (empty: none).
    bool setScreenshot(const std::string& path);

    /// The watchdog's side: reads messages from `socket` until the channel closes or a crash has
    /// been told in full, then writes the report and answers one byte so the crashed process may
    /// die. Returns 0 (closed, or report written), 1 (report not written) or 2 (corrupt stream
    /// before any crash).
    static int serve(int socket, const std::string& reportFolder, const std::string& applicationName);

private:
    pid_t m_pid = -1;
    int m_socket = -1;
};

} // namespace crash_monitor
