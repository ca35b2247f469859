#pragma once
// Program-wide logging: channel loggers tagged with a severity, one or more text file sinks.
// The header stays free of Boost so that every translation unit can log cheaply.

#include <cstdint>
#include <sstream>
#include <string>

namespace uni {
namespace log {

enum UniLogSeverityLevel : int {
    debug = 0,
    trace = 1,
    info = 2,
    assert = 3,
    warning = 4,
    error = 5,
    fatal = 6,
};

/// "debug" … "fatal"; "unknown" for a value outside the enumeration.
const char* severityName(UniLogSeverityLevel level);

/// First of the seven names (in order debug … fatal) equal to `text`; `fallback` when none is.
UniLogSeverityLevel levelFromText(const std::string& text, UniLogSeverityLevel fallback = info);

/// Registers the attributes, installs the core's exception handler and switches logging off
/// until a sink exists. Safe to call more than once; call it before any thread starts.
void initialize();

struct FileSinkOptions {
    std::string fileName;
    bool async = false;
    UniLogSeverityLevel minSeverity = info;
    std::string channel;            ///< empty: every channel
    std::uint64_t rotationSize = 0; ///< bytes; 0: no rotation
    bool autoFlush = true;
    bool append = true;
};

/// Adds a text file sink and switches logging on. Returns false (and logs nothing) when the
/// sink cannot be built; a file that cannot be opened later never throws into a writer.
bool addFileSink(const FileSinkOptions& options);

/// Flushes and removes every sink (asynchronous sinks are drained first).
void removeAllSinks();

/// Flushes every sink.
void flush();

/// Passes records whose severity is at least `minSeverity` and, when `channel` is not empty,
/// whose channel equals it.
class SeverityFilter {
public:
    explicit SeverityFilter(UniLogSeverityLevel minSeverity, std::string channel = {});
    bool passes(UniLogSeverityLevel level, const std::string& channel) const;
    UniLogSeverityLevel minSeverity() const { return m_minSeverity; }
    const std::string& channel() const { return m_channel; }

private:
    UniLogSeverityLevel m_minSeverity;
    std::string m_channel;
};

/// The line a record becomes: "%1% t%2% %3% [%4%] %5%".
std::string formatLine(const std::string& timeStamp, std::uint64_t threadId, UniLogSeverityLevel level,
                       const std::string& channel, const std::string& message);

/// OS thread id of the caller, as it appears after the "t" of a log line.
std::uint64_t currentThreadId();

/// True when some sink could take a record of this severity (cheap pre-check for UNI_LOG).
bool enabled(UniLogSeverityLevel level);

/// Writes one record through the process-wide logger of `channel` (created on first use).
void write(const std::string& channel, UniLogSeverityLevel level, const std::string& message);

/// Collects one record's text and writes it on destruction.
class RecordStream {
public:
    RecordStream(const char* channel, UniLogSeverityLevel level) : m_channel(channel), m_level(level) {}
    RecordStream(const RecordStream&) = delete;
    RecordStream& operator=(const RecordStream&) = delete;
    ~RecordStream() { write(m_channel, m_level, m_text.str()); }
    std::ostringstream& stream() { return m_text; }

private:
    const char* m_channel;
    UniLogSeverityLevel m_level;
    std::ostringstream m_text;
};

} // namespace log
} // namespace uni

/// UNI_LOG("tnc", uni::log::info) << "text " << value;  — formats nothing when no sink wants it.
/// A one-pass for loop rather than an if, so the macro is safe inside an unbraced if/else.
#define UNI_LOG(channel, level)                                                                                        \
    for (bool uniLogOnce_ = ::uni::log::enabled(level); uniLogOnce_; uniLogOnce_ = false)                              \
    ::uni::log::RecordStream((channel), (level)).stream()
