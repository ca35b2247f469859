#include "crash/crash_watchdog.h"

#include "crash/backtrace_symbolizer.h"
#include "crash/crash_channel.h"
#include "crash/crash_report_writer.h"
#include "crash/fatal_signal_handler.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

namespace crash_monitor {
namespace {

constexpr int kChildChannelFd = 3;
constexpr int kReapWaitMs = 5000;

bool readAll(int socket, void* data, std::size_t length)
{
    char* at = static_cast<char*>(data);
    while (length > 0) {
        const ssize_t got = ::read(socket, at, length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

std::string executableOf(std::int64_t pid)
{
    char path[PATH_MAX];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
    if (length <= 0)
        return {};
    return std::string(path, static_cast<std::size_t>(length));
}

class CrashCollector {
public:
    CrashCollector(std::string reportFolder, std::string applicationName) : m_reportFolder(std::move(reportFolder))
    {
        m_record.applicationName = std::move(applicationName);
    }

    // False when the payload does not fit its type.
    bool take(CrashMessage type, const std::string& payload)
    {
        switch (type) {
        case CrashMessage::AddFile: {
            const std::size_t split = payload.find('\0');
            if (split == std::string::npos)
                return false;
            m_record.files.push_back({payload.substr(0, split), payload.substr(split + 1)});
            return true;
        }
        case CrashMessage::Screenshot: m_record.screenshotPath = payload; return true;
        case CrashMessage::CrashBegin: return begin(payload);
        case CrashMessage::Frames: return addFrames(payload);
        case CrashMessage::MapsChunk:
            if (m_record.memoryMaps.size() + payload.size() <= kMaxMapsText)
                m_record.memoryMaps += payload;
            return true;
        case CrashMessage::CrashEnd: return m_crashed;
        }
        return false;
    }

    bool crashed() const { return m_crashed; }

    bool writeReport()
    {
        const BacktraceSymbolizer symbolizer;
        return !CrashReportWriter(m_reportFolder).write(m_record, symbolizer).empty();
    }

private:
    bool begin(const std::string& payload)
    {
        CrashBeginPayload begin;
        if (payload.size() != sizeof begin)
            return false;
        std::memcpy(&begin, payload.data(), sizeof begin);
        m_crashed = true;
        m_record.signalNumber = begin.signalNumber;
        m_record.signalCode = begin.signalCode;
        m_record.faultAddress = begin.faultAddress;
        m_record.processId = begin.processId;
        m_record.threadId = begin.threadId;
        m_record.instructionAddress = begin.instructionAddress;
        m_record.unixTime = static_cast<std::int64_t>(std::time(nullptr));
        m_record.executable = executableOf(begin.processId);
        return true;
    }

    bool addFrames(const std::string& payload)
    {
        if (!m_crashed || payload.size() % sizeof(std::uintptr_t) != 0)
            return false;
        for (std::size_t at = 0; at < payload.size() && m_record.frames.size() < kMaxCrashFrames;
             at += sizeof(std::uintptr_t)) {
            std::uintptr_t frame;
            std::memcpy(&frame, payload.data() + at, sizeof frame);
            m_record.frames.push_back(frame);
        }
        return true;
    }

    std::string m_reportFolder;
    CrashReportRecord m_record;
    bool m_crashed = false;
};

void answer(int socket, bool written)
{
    const char done = written ? 1 : 0;
    (void)::send(socket, &done, 1, MSG_NOSIGNAL);
}

[[noreturn]] void runWatchdog(int socket, const std::string& reportFolder, const std::string& applicationName)
{
    // Nothing of the monitored process may stay open here: a socket kept open by the watchdog
    // would outlive its owner's close.
    if (socket != kChildChannelFd)
        ::dup2(socket, kChildChannelFd);
    ::fcntl(kChildChannelFd, F_SETFD, FD_CLOEXEC);
    ::close_range(kChildChannelFd + 1, UINT_MAX, 0);
    const int fatal[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
    for (int number : fatal)
        ::signal(number, SIG_DFL);
    ::signal(SIGPIPE, SIG_IGN);
    ::prctl(PR_SET_NAME, "zamo2-crashwd", 0, 0, 0);
    ::_exit(CrashWatchdog::serve(kChildChannelFd, reportFolder, applicationName));
}

} // namespace

CrashWatchdog::~CrashWatchdog()
{
    stop();
}

bool CrashWatchdog::start(const std::string& reportFolder, const std::string& applicationName, std::string& error)
{
    if (running()) {
        error = "the crash watchdog runs already";
        return false;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        error = std::string("cannot create the crash channel: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("cannot start the crash watchdog: ") + std::strerror(errno);
        ::close(ends[0]);
        ::close(ends[1]);
        return false;
    }
    if (pid == 0) {
        ::close(ends[0]);
        runWatchdog(ends[1], reportFolder, applicationName);
    }
    ::close(ends[1]);
    m_socket = ends[0];
    m_pid = pid;
    return true;
}

void CrashWatchdog::stop()
{
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    if (m_pid <= 0)
        return;
    int status = 0;
    for (int waited = 0; waited < kReapWaitMs; waited += 10) {
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || (done < 0 && errno != EINTR)) {
            m_pid = -1;
            return;
        }
        ::usleep(10000);
    }
    ::kill(m_pid, SIGKILL);
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

bool CrashWatchdog::attach(const AttachedFile& file)
{
    if (m_socket < 0 || file.path.size() + file.description.size() + 1 > kMaxCrashMessagePayload)
        return false;
    std::string payload = file.path;
    payload.push_back('\0');
    payload += file.description;
    FatalSignalHandler::ChannelUse use;
    return sendCrashMessage(m_socket, CrashMessage::AddFile, payload.data(),
                            static_cast<std::uint32_t>(payload.size()));
}

bool CrashWatchdog::setScreenshot(const std::string& path)
{
    if (m_socket < 0 || path.size() > kMaxCrashMessagePayload)
        return false;
    FatalSignalHandler::ChannelUse use;
    return sendCrashMessage(m_socket, CrashMessage::Screenshot, path.data(), static_cast<std::uint32_t>(path.size()));
}

int CrashWatchdog::serve(int socket, const std::string& reportFolder, const std::string& applicationName)
{
    CrashCollector collector(reportFolder, applicationName);
    std::string payload;
    bool corrupt = false;
    for (;;) {
        CrashMessageHeader header;
        if (!readAll(socket, &header, sizeof header))
            break;
        payload.resize(header.length <= kMaxCrashMessagePayload ? header.length : 0);
        const CrashMessage type = static_cast<CrashMessage>(header.type);
        corrupt = header.length > kMaxCrashMessagePayload ||
                  (header.length > 0 && !readAll(socket, payload.data(), header.length)) ||
                  !collector.take(type, payload);
        if (corrupt)
            break;
        if (type == CrashMessage::CrashEnd)
            break;
    }
    // A crash that had begun is reported even when the stream broke off.
    if (!collector.crashed())
        return corrupt ? 2 : 0;
    const bool written = collector.writeReport();
    answer(socket, written);
    return written ? 0 : 1;
}

} // namespace crash_monitor
