#include "driver_log.h"

#include <ctime>
#include <sys/time.h>

#include "file_util.h"

namespace zmpxi_sim {
namespace {

int thresholdOf(const std::string& level)
{
    if (level == "LogDeveloperDebug" || level == "LogFuncCalls")
        return 0;
    if (level == "LogCommand")
        return 1;
    if (level == "LogOnWarning")
        return 2;
    if (level == "LogOff")
        return 4;
    return 3;
}

const char* nameOf(DriverLog::Level level)
{
    switch (level) {
    case DriverLog::Level::Debug: return "debug";
    case DriverLog::Level::Command: return "command";
    case DriverLog::Level::Warning: return "warning";
    case DriverLog::Level::Error: return "error";
    }
    return "?";
}

void writeLine(std::FILE* file, const char* severity, const std::string& message)
{
    timeval now{};
    ::gettimeofday(&now, nullptr);
    std::tm parts{};
    ::localtime_r(&now.tv_sec, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &parts);
    std::fprintf(file, "%s.%06ld [zmpxi_api] %s: %s\n", stamp, static_cast<long>(now.tv_usec), severity,
                 message.c_str());
    std::fflush(file);
}

} // namespace

DriverLog::~DriverLog()
{
    close();
}

void DriverLog::configure(const LoggerSettings& settings, const std::string& logDir)
{
    close();
    m_threshold = thresholdOf(settings.level);
    if (m_threshold > 3)
        return;
    file_util::makeDirectories(logDir);
    const char* mode = settings.append == "Overwrite" ? "w" : "a";
    const std::string dev = resolve(settings.logFile, "zmpxi_api_dev.log", logDir);
    const std::string cmd = resolve(settings.cmdLogFile, "zmpxi_api_cmd.log", logDir);
    m_devLog = std::fopen(dev.c_str(), mode);
    if (m_threshold <= 1)
        m_cmdLog = std::fopen(cmd.c_str(), mode);
    if (!m_devLog)
        std::fprintf(stderr, "[zmpxi_api] cannot open log file %s; logging to standard error\n", dev.c_str());
}

void DriverLog::useStandardError()
{
    close();
    m_threshold = 2;
}

void DriverLog::write(Level level, const std::string& message)
{
    if (static_cast<int>(level) < m_threshold)
        return;
    writeLine(m_devLog ? m_devLog : stderr, nameOf(level), message);
}

void DriverLog::command(const std::string& message)
{
    if (m_cmdLog)
        writeLine(m_cmdLog, "command", message);
    write(Level::Command, message);
}

void DriverLog::close()
{
    if (m_devLog)
        std::fclose(m_devLog);
    if (m_cmdLog)
        std::fclose(m_cmdLog);
    m_devLog = nullptr;
    m_cmdLog = nullptr;
}

std::string DriverLog::resolve(const std::string& name, const std::string& fallback, const std::string& dir)
{
    // Empty: automatic name in the log folder; bare name: into the log folder;
    // a folder (trailing '/'): automatic name there; a path: unchanged.
    if (name.empty())
        return file_util::join(dir, fallback);
    if (name.back() == '/')
        return file_util::join(name, fallback);
    if (name.find('/') == std::string::npos)
        return file_util::join(dir, name);
    return name;
}

} // namespace zmpxi_sim
