#pragma once
// The driver's own log: a developer log and a command log, as the configuration's Logger
// section asks; standard error until a configuration has been read.

#include <cstdio>
#include <string>

namespace zmpxi_sim {

/// Logger settings of the configuration document.
struct LoggerSettings {
    std::string level = "LogOnError";
    std::string append = "Append";
    std::string logFile;
    std::string cmdLogFile;
};

class DriverLog {
public:
    enum class Level { Debug, Command, Warning, Error };

    DriverLog() = default;
    ~DriverLog();
    DriverLog(const DriverLog&) = delete;
    DriverLog& operator=(const DriverLog&) = delete;

    /// Opens the log files named in `settings`; bare names go into `logDir`.
    void configure(const LoggerSettings& settings, const std::string& logDir);
    /// Closes the files; later lines go to standard error.
    void useStandardError();

    void write(Level level, const std::string& message);
    /// One line of the command log (target, item, result).
    void command(const std::string& message);

private:
    void close();
    static std::string resolve(const std::string& name, const std::string& fallback, const std::string& dir);

    int m_threshold = 3; // Level index from which lines are written; 4 = off
    std::FILE* m_devLog = nullptr;
    std::FILE* m_cmdLog = nullptr;
};

} // namespace zmpxi_sim
