#pragma once
// Crash reporting for the whole process. Files registered here (the application log, …) and the
// latest screenshot of the main window are copied into a ZIP report, beside a symbolised
// backtrace, when the process dies of a fatal signal.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace crash_monitor {

class CrashWatchdog;

class CrashMonitor {
public:
    /// Creates the process-wide monitor. Throws std::runtime_error("CreateInstance called more
    /// than once.") when one exists already.
    static CrashMonitor* CreateInstance();
    /// The monitor, created on first use.
    static CrashMonitor* Instance();
    /// The monitor if it exists, without creating it.
    static CrashMonitor* Existing();
    /// Uninstalls the monitor if installed, then destroys it.
    static void uninstall();

    ~CrashMonitor();
    CrashMonitor(const CrashMonitor&) = delete;
    CrashMonitor& operator=(const CrashMonitor&) = delete;

    /// Remembers `path` for every report; once installed it is attached at once with
    /// `description`, before that it is attached at install without one. A file missing at the
    /// time of a crash is listed as missing.
    void addFile(const std::string& path, const std::string& description);

    /// Starts the watchdog and the fatal-signal handler and attaches the remembered files.
    /// False, with lastError() set, when either cannot start; nothing is attached then.
    bool install();

    bool installed() const { return m_installed; }
    const std::vector<std::string>& files() const { return m_files; }
    const std::string& lastError() const { return m_lastError; }

    /// Where reports go; set before install, which fails without one (created when missing).
    void setReportFolder(const std::string& folder);
    const std::string& reportFolder() const { return m_reportFolder; }

    /// The screenshot file copied into reports; the GUI rewrites it at safe moments.
    void setScreenshotFile(const std::string& path);
    const std::string& screenshotFile() const { return m_screenshotFile; }

private:
    CrashMonitor();
    static std::mutex& instanceMutex();

    bool m_installed = false;
    std::vector<std::string> m_files;
    std::string m_reportFolder;
    std::string m_screenshotFile;
    std::string m_lastError;
    std::unique_ptr<CrashWatchdog> m_watchdog;

    static CrashMonitor* s_instance;
};

} // namespace crash_monitor
