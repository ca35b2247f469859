#pragma once
// Writes one crash report: a ZIP archive with the symbolised backtrace, the memory map, a list
// of the attached files, copies of them and the last screenshot of the main window.

#include "crash/backtrace_symbolizer.h"
#include "crash/crash_report_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace crash_monitor {

/// Largest part of an attached file a report keeps (its end, where the latest log lines are).
constexpr std::uint64_t kMaxAttachedBytes = 64ull * 1024 * 1024;

class CrashReportWriter {
public:
    /// Reports go into `reportFolder`, which must exist.
    explicit CrashReportWriter(std::string reportFolder);

    /// Writes "crash_<YYYYMMDD>_<HHMMSS>_<pid>.zip" (a number appended when taken) and returns
    /// its path, or empty when it cannot be written. Missing attachments are listed, not fatal.
    std::string write(const CrashReportRecord& record, const BacktraceSymbolizer& symbolizer) const;

    /// The text of "backtrace.txt".
    static std::string backtraceText(const CrashReportRecord& record, const std::vector<std::string>& frameLines);

private:
    std::string m_reportFolder;
};

} // namespace crash_monitor
