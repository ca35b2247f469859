#include "tools/system_lock.h"

#include "core/app_paths.h"
#include "core/json_text.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace z2e {

namespace {

// Waiting polls: a blocking flock could not be cancelled or bounded.
constexpr std::chrono::milliseconds kPollInterval{50};
constexpr std::size_t kMaxHolderText = 200;

std::string fileNameOf(const std::string& system)
{
    std::string name = system;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
            c = '_';
    }
    return name + ".lock";
}

} // namespace

SystemLock::SystemLock(std::string folder, std::string system)
    : m_folder(std::move(folder)), m_system(std::move(system)), m_path(m_folder + "/" + fileNameOf(m_system))
{
}

SystemLock::~SystemLock()
{
    release();
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string SystemLock::defaultFolder()
{
    return expandedAppPath(AppPathKind::DataFolder) + "/locks";
}

bool SystemLock::open()
{
    if (m_fd >= 0)
        return true;
    struct stat info {};
    if (!ensureDirectory(m_folder) || ::lstat(m_folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        m_error = "cannot use the lock folder " + m_folder + " (missing, not a folder, or a link)";
        return false;
    }
    // O_NONBLOCK: a FIFO planted at the name must not hang the open.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = "cannot open the lock " + m_path + ": " + std::strerror(errno) +
                  (errno == ELOOP ? " (a link stands there; remove it)" : "");
        return false;
    }
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = "the lock " + m_path + " is not a regular file; remove it";
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

SystemLock::Outcome SystemLock::tryAcquire(const std::string& program, const std::string& activity)
{
    if (m_held)
        return Outcome::Held;
    if (!open())
        return Outcome::Failed;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Outcome::Busy;
        m_error = "cannot lock " + m_path + ": " + std::strerror(errno);
        return Outcome::Failed;
    }
    m_held = true;
    const std::string words = program + " pid " + std::to_string(::getpid()) + " is " + activity + "\n";
    // The words only inform whoever waits; the lock holds without them.
    if (::ftruncate(m_fd, 0) == 0 && ::pwrite(m_fd, words.data(), words.size(), 0) < 0)
        m_error = "cannot write " + m_path + ": " + std::strerror(errno);
    return Outcome::Held;
}

SystemLock::Outcome SystemLock::acquire(const std::string& program, const std::string& activity,
                                        std::chrono::steady_clock::time_point deadline,
                                        const std::function<void(const std::string&)>& busy,
                                        const std::atomic<bool>* cancelled)
{
    std::string told;
    for (;;) {
        const Outcome outcome = tryAcquire(program, activity);
        if (outcome != Outcome::Busy)
            return outcome;
        const std::string words = busyText();
        if (busy && words != told)
            busy(words);
        told = words;
        if (std::chrono::steady_clock::now() >= deadline || (cancelled && cancelled->load()))
            return Outcome::Busy;
        std::this_thread::sleep_for(kPollInterval);
    }
}

void SystemLock::release()
{
    if (!m_held)
        return;
    m_held = false;
    if (::ftruncate(m_fd, 0) != 0)
        m_error = "cannot clear " + m_path;
    ::flock(m_fd, LOCK_UN);
}

std::string SystemLock::holderText() const
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info {};
    char buffer[kMaxHolderText];
    ssize_t got = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    std::string text(buffer, got > 0 ? static_cast<std::size_t>(got) : 0u);
    text = text.substr(0, text.find('\n'));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return validUtf8(text);
}

std::string SystemLock::busyText() const
{
    const std::string holder = holderText();
    return "busy: " + (holder.empty() ? "another program is changing " + m_system : holder);
}

} // namespace z2e
