#include "crash/crash_monitor.h"

#include "crash/crash_watchdog.h"
#include "crash/fatal_signal_handler.h"

#include <filesystem>
#include <stdexcept>

namespace crash_monitor {

namespace {

bool ensureFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

} // namespace

CrashMonitor* CrashMonitor::s_instance = nullptr;

std::mutex& CrashMonitor::instanceMutex()
{
    static std::mutex mutex;
    return mutex;
}

CrashMonitor* CrashMonitor::CreateInstance()
{
    std::lock_guard<std::mutex> lock(instanceMutex());
    if (s_instance)
        throw std::runtime_error("CreateInstance called more than once.");
    s_instance = new CrashMonitor();
    return s_instance;
}

CrashMonitor* CrashMonitor::Instance()
{
    std::lock_guard<std::mutex> lock(instanceMutex());
    if (!s_instance)
        s_instance = new CrashMonitor();
    return s_instance;
}

CrashMonitor* CrashMonitor::Existing()
{
    std::lock_guard<std::mutex> lock(instanceMutex());
    return s_instance;
}

void CrashMonitor::uninstall()
{
    std::lock_guard<std::mutex> lock(instanceMutex());
    if (!s_instance)
        return;
    if (s_instance->m_installed) {
        FatalSignalHandler::uninstall();
        s_instance->m_watchdog->stop();
        s_instance->m_installed = false;
    }
    delete s_instance;
    s_instance = nullptr;
}

CrashMonitor::CrashMonitor() = default;

CrashMonitor::~CrashMonitor() = default;

void CrashMonitor::addFile(const std::string& path, const std::string& description)
{
    m_files.push_back(path);
    if (m_installed)
        m_watchdog->attach({path, description});
}

bool CrashMonitor::install()
{
    if (m_installed)
        return true;
    if (m_reportFolder.empty()) {
        m_lastError = "no crash report folder was chosen";
        return false;
    }
    if (!ensureFolder(m_reportFolder)) {
        m_lastError = "cannot create the crash report folder " + m_reportFolder;
        return false;
    }
    auto watchdog = std::make_unique<CrashWatchdog>();
    if (!watchdog->start(m_reportFolder, "ZAMO2Explorer", m_lastError))
        return false;
    // Attached before the handler exists, so that no report can miss them.
    bool attached = true;
    for (const std::string& path : m_files)
        attached = attached && watchdog->attach({path, std::string()});
    if (!m_screenshotFile.empty())
        attached = attached && watchdog->setScreenshot(m_screenshotFile);
    if (!attached) {
        m_lastError = "the crash watchdog stopped answering";
        return false;
    }
    if (!FatalSignalHandler::install(watchdog->channel())) {
        m_lastError = "cannot install the fatal signal handler";
        return false;
    }
    m_watchdog = std::move(watchdog);
    m_installed = true;
    return true;
}

void CrashMonitor::setReportFolder(const std::string& folder)
{
    if (!m_installed)
        m_reportFolder = folder;
}

void CrashMonitor::setScreenshotFile(const std::string& path)
{
    m_screenshotFile = path;
    if (m_installed)
        m_watchdog->setScreenshot(path);
}

} // namespace crash_monitor
