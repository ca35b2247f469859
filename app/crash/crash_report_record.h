#pragma once
// What the crash watchdog learns about a crash and writes into a report.

#include <cstdint>
#include <string>
#include <vector>

namespace crash_monitor {

/// A file copied into every report.
struct AttachedFile {
    std::string path;
    std::string description;
};

/// The facts of one crash as the crashed process sent them.
struct CrashReportRecord {
    int signalNumber = 0;
    int signalCode = 0;
    std::uint64_t faultAddress = 0;
    std::uint64_t instructionAddress = 0; ///< exact address of the interrupted instruction
    std::int64_t processId = 0;
    std::int64_t threadId = 0;
    std::int64_t unixTime = 0; ///< when the watchdog heard of the crash
    std::string applicationName;
    std::string executable;
    std::vector<std::uintptr_t> frames; ///< return addresses, innermost first
    std::string memoryMaps;             ///< the process's /proc maps text at the crash
    std::vector<AttachedFile> files;
    std::string screenshotPath; ///< empty: no screenshot
};

} // namespace crash_monitor
