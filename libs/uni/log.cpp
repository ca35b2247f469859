#include "uni/log.h"

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/log/attributes/clock.hpp>
#include <boost/log/attributes/function.hpp>
#include <boost/log/core.hpp>
#include <boost/log/sinks/async_frontend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/log/sinks/text_file_backend.hpp>
#include <boost/log/sources/record_ostream.hpp>
#include <boost/log/sources/severity_channel_logger.hpp>
#include <boost/log/utility/exception_handler.hpp>
#include <boost/make_shared.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <ios>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <sys/syscall.h>
#include <unistd.h>

namespace uni {
namespace log {

namespace {

namespace blog = boost::log;
using ChannelLogger = blog::sources::severity_channel_logger_mt<UniLogSeverityLevel, std::string>;
using FileBackend = blog::sinks::text_file_backend;
using SyncSink = blog::sinks::synchronous_sink<FileBackend>;
using AsyncSink = blog::sinks::asynchronous_sink<FileBackend>;

constexpr int kNoSink = fatal + 1;
const char* const kNames[] = {"debug", "trace", "info", "assert", "warning", "error", "fatal"};

struct SinkEntry {
    boost::shared_ptr<SyncSink> sync;
    boost::shared_ptr<AsyncSink> async;
    UniLogSeverityLevel minSeverity;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<ChannelLogger>> loggers;
    std::vector<SinkEntry> sinks;
    std::atomic<int> minEnabled{kNoSink};
    std::once_flag initOnce;
};

Registry& registry()
{
    static Registry* r = new Registry; // never destroyed: loggers may be used from static destructors
    return *r;
}

ChannelLogger& loggerFor(const std::string& channel)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto& slot = r.loggers[channel];
    if (!slot)
        slot = std::make_unique<ChannelLogger>(blog::keywords::channel = channel);
    return *slot;
}

// "+01:00"-style offset of local time from UTC, for %Q.
std::string zoneOffset(std::time_t seconds)
{
    std::tm local{};
    localtime_r(&seconds, &local);
    long off = local.tm_gmtoff;
    char sign = off < 0 ? '-' : '+';
    off = off < 0 ? -off : off;
    char text[8];
    std::snprintf(text, sizeof text, "%c%02ld:%02ld", sign, (off / 3600) % 100, (off / 60) % 60);
    return text;
}

std::string formatTimeStamp(const boost::posix_time::ptime& stamp)
{
    if (stamp.is_special())
        return "not-a-date-time";
    const auto date = stamp.date();
    const auto tod = stamp.time_of_day();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06ld", int(date.year()), int(date.month()),
                  int(date.day()), int(tod.hours()), int(tod.minutes()), int(tod.seconds()),
                  long(tod.total_microseconds() % 1000000));
    static const boost::posix_time::ptime epoch(boost::gregorian::date(1970, 1, 1));
    // The stamp is local time; treating it as UTC for the offset lookup is off by at most the
    // offset itself, which only matters within hours of a DST switch.
    const std::time_t seconds = static_cast<std::time_t>((stamp - epoch).total_seconds());
    return text + zoneOffset(seconds);
}

void formatRecord(const blog::record_view& rec, blog::formatting_ostream& out)
{
    const auto stamp = blog::extract<boost::posix_time::ptime>("TimeStamp", rec);
    const auto thread = blog::extract<std::uint64_t>("ThreadID", rec);
    const auto level = blog::extract<UniLogSeverityLevel>("Severity", rec);
    const auto channel = blog::extract<std::string>("Channel", rec);
    const auto message = blog::extract<std::string>("Message", rec);
    out << formatLine(stamp ? formatTimeStamp(*stamp) : std::string("not-a-date-time"), thread ? *thread : 0,
                      level ? *level : info, channel ? *channel : std::string(), message ? *message : std::string());
}

void recomputeMinEnabled(Registry& r)
{
    int minimum = kNoSink;
    for (const auto& entry : r.sinks)
        minimum = std::min(minimum, int(entry.minSeverity));
    r.minEnabled.store(minimum);
    blog::core::get()->set_logging_enabled(minimum != kNoSink);
}

} // namespace

const char* severityName(UniLogSeverityLevel level)
{
    if (level < debug || level > fatal)
        return "unknown";
    return kNames[level];
}

UniLogSeverityLevel levelFromText(const std::string& text, UniLogSeverityLevel fallback)
{
    for (int i = debug; i <= fatal; ++i)
        if (text == kNames[i])
            return static_cast<UniLogSeverityLevel>(i);
    return fallback;
}

std::uint64_t currentThreadId()
{
    thread_local const std::uint64_t id = static_cast<std::uint64_t>(::syscall(SYS_gettid));
    return id;
}

std::string formatLine(const std::string& timeStamp, std::uint64_t threadId, UniLogSeverityLevel level,
                       const std::string& channel, const std::string& message)
{
    std::string line;
    line.reserve(timeStamp.size() + channel.size() + message.size() + 40);
    line += timeStamp;
    line += " t";
    line += std::to_string(threadId);
    line += ' ';
    line += severityName(level);
    line += " [";
    line += channel;
    line += "] ";
    line += message;
    return line;
}

void initialize()
{
    Registry& r = registry();
    std::call_once(r.initOnce, [] {
        auto core = blog::core::get();
        core->add_global_attribute("TimeStamp", blog::attributes::local_clock());
        core->add_global_attribute("ThreadID", blog::attributes::make_function(&currentThreadId));
        core->set_exception_handler(blog::make_exception_suppressor());
        core->set_logging_enabled(false);
    });
}

SeverityFilter::SeverityFilter(UniLogSeverityLevel minSeverity, std::string channel)
    : m_minSeverity(minSeverity), m_channel(std::move(channel))
{
}

bool SeverityFilter::passes(UniLogSeverityLevel level, const std::string& channel) const
{
    if (level < m_minSeverity)
        return false;
    return m_channel.empty() || channel == m_channel;
}

bool addFileSink(const FileSinkOptions& options)
{
    initialize();
    if (options.fileName.empty())
        return false;
    try {
        auto backend = boost::make_shared<FileBackend>(
            blog::keywords::file_name = options.fileName,
            blog::keywords::open_mode = options.append ? (std::ios::out | std::ios::app) : std::ios::out,
            blog::keywords::auto_flush = options.autoFlush);
        if (options.rotationSize > 0)
            backend->set_rotation_size(options.rotationSize);

        const SeverityFilter filter(options.minSeverity, options.channel);
        auto filterFn = [filter](const blog::attribute_value_set& values) {
            const auto level = blog::extract<UniLogSeverityLevel>("Severity", values);
            const auto channel = blog::extract<std::string>("Channel", values);
            return level && filter.passes(*level, channel ? *channel : std::string());
        };

        SinkEntry entry{nullptr, nullptr, options.minSeverity};
        if (options.async) {
            entry.async = boost::make_shared<AsyncSink>(backend);
            entry.async->set_formatter(&formatRecord);
            entry.async->set_filter(filterFn);
            entry.async->set_exception_handler(blog::make_exception_suppressor());
            blog::core::get()->add_sink(entry.async);
        } else {
            entry.sync = boost::make_shared<SyncSink>(backend);
            entry.sync->set_formatter(&formatRecord);
            entry.sync->set_filter(filterFn);
            entry.sync->set_exception_handler(blog::make_exception_suppressor());
            blog::core::get()->add_sink(entry.sync);
        }

        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.sinks.push_back(entry);
        recomputeMinEnabled(r);
        return true;
    } catch (...) {
        return false;
    }
}

void removeAllSinks()
{
    Registry& r = registry();
    std::vector<SinkEntry> sinks;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        sinks.swap(r.sinks);
        recomputeMinEnabled(r);
    }
    auto core = blog::core::get();
    for (auto& entry : sinks) {
        try {
            if (entry.async) {
                core->remove_sink(entry.async);
                entry.async->stop();
                entry.async->flush();
            } else {
                core->remove_sink(entry.sync);
                entry.sync->flush();
            }
        } catch (...) {
        }
    }
}

void flush()
{
    try {
        blog::core::get()->flush();
    } catch (...) {
    }
}

bool enabled(UniLogSeverityLevel level)
{
    return int(level) >= registry().minEnabled.load(std::memory_order_relaxed);
}

void write(const std::string& channel, UniLogSeverityLevel level, const std::string& message)
{
    try {
        ChannelLogger& logger = loggerFor(channel);
        BOOST_LOG_SEV(logger, level) << message;
    } catch (...) {
        // A log line is never worth an exception in the caller.
    }
}

} // namespace log
} // namespace uni
