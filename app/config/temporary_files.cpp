#include "config/temporary_files.h"

#include "uni/number_text.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h> // renameat2
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace z2e {

namespace {

// ---- the table of live temporary files ----

constexpr int kSlots = 32;

struct Slot {
    std::atomic<int> state{0}; ///< 0 free, 1 being filled, 2 live
    bool withSuffixes = false;
    char path[PATH_MAX] = {};
};

Slot g_slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the table");

// The raw folder listing of the kernel: getdents64 is a system call, safe in a signal handler.
struct RawDirent {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// Removes every "<base>.<anything>" in the folder of `path`. Only async-signal-safe calls.
void removeSuffixed(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    char folder[PATH_MAX];
    const char* base = path;
    if (slash) {
        const std::size_t length = static_cast<std::size_t>(slash - path);
        if (length == 0) {
            folder[0] = '/';
            folder[1] = '\0';
        } else {
            std::memcpy(folder, path, length);
            folder[length] = '\0';
        }
        base = slash + 1;
    } else {
        folder[0] = '.';
        folder[1] = '\0';
    }
    const std::size_t baseLength = std::strlen(base);
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(8) char buffer[4096];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const RawDirent*>(buffer + at);
            at += entry->d_reclen;
            if (std::strncmp(entry->d_name, base, baseLength) == 0 && entry->d_name[baseLength] == '.')
                ::unlinkat(fd, entry->d_name, 0);
        }
    }
    ::close(fd);
}

// ---- names ----

bool parseNumber(const std::string& text, std::size_t& at, unsigned long long& value)
{
    const std::size_t end = std::min(text.find_first_not_of("0123456789", at), text.size());
    std::uint64_t parsed = 0;
    if (!uni::text::parseUnsignedDecimal(text.substr(at, end - at), parsed))
        return false;
    at = end;
    value = parsed;
    return true;
}

// ".z2e-tmp-<pid>-<start>-<8 hex>", optionally followed by "." and a library's own suffix.
bool parseName(const std::string& name, long& pid, unsigned long long& start)
{
    const std::string prefix = TemporaryFiles::kPrefix;
    if (name.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::size_t at = prefix.size();
    unsigned long long number = 0;
    if (!parseNumber(name, at, number) || number == 0 || number > INT_MAX || at >= name.size() || name[at] != '-')
        return false;
    pid = static_cast<long>(number);
    ++at;
    if (!parseNumber(name, at, start) || at >= name.size() || name[at] != '-')
        return false;
    ++at;
    for (int i = 0; i < 8; ++i, ++at) {
        if (at >= name.size() || !std::isxdigit(static_cast<unsigned char>(name[at])))
            return false;
    }
    return at == name.size() || name[at] == '.';
}

unsigned long long ownStart()
{
    // Any thread may name a temporary file; a forked child looks its own start up again.
    static std::mutex lock;
    static long pid = 0;
    static unsigned long long start = 0;
    const std::lock_guard<std::mutex> guard(lock);
    const long now = static_cast<long>(::getpid());
    if (pid != now) {
        start = TemporaryFiles::processStart(now);
        pid = now;
    }
    return start;
}

} // namespace

const char* const TemporaryFiles::kPrefix = ".z2e-tmp-";

unsigned long long TemporaryFiles::processStart(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    // The command name in parentheses may hold blanks: the fields count after its end.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    // Fields 3 (state) to 22 (starttime).
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field))
            return 0;
    }
    std::uint64_t start = 0;
    return uni::text::parseUnsignedDecimal(field, start) ? start : 0;
}

std::string TemporaryFiles::freshName()
{
    unsigned char random[4] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        const auto ticks = static_cast<unsigned long>(std::clock()) ^ static_cast<unsigned long>(::time(nullptr));
        std::memcpy(random, &ticks, sizeof random);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", random[0], random[1], random[2], random[3]);
    return std::string(kPrefix) + std::to_string(::getpid()) + "-" + std::to_string(ownStart()) + "-" + text;
}

int TemporaryFiles::remember(const std::string& path, bool withSuffixes)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!g_slots[i].state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].withSuffixes = withSuffixes;
        g_slots[i].state.store(2);
        return i;
    }
    return -1;
}

void TemporaryFiles::forget(int slot)
{
    if (slot >= 0 && slot < kSlots)
        g_slots[slot].state.store(0);
}

void TemporaryFiles::removeLive()
{
    for (Slot& slot : g_slots) {
        if (slot.state.load() != 2)
            continue;
        ::unlink(slot.path);
        if (slot.withSuffixes)
            removeSuffixed(slot.path);
    }
}

bool TemporaryFiles::ownedByLiveProcess(const std::string& name)
{
    long pid = 0;
    unsigned long long start = 0;
    if (!parseName(name, pid, start))
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return false;
    // The pid may have been given to a later process; a start it cannot tell counts as alive.
    const unsigned long long now = processStart(pid);
    return start == 0 || now == 0 || now == start;
}

int TemporaryFiles::removeStale(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const int removed = removeStale(fd);
    ::close(fd);
    return removed;
}

int TemporaryFiles::removeStale(int folderFd)
{
    const int listed = ::dup(folderFd);
    if (listed < 0)
        return 0;
    DIR* dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return 0;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        long pid = 0;
        unsigned long long start = 0;
        if (parseName(name, pid, start) && !ownedByLiveProcess(name))
            stale.push_back(name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& name : stale) {
        struct stat info {};
        // Plain files only; a link of that name is not followed and stays.
        if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            ::unlinkat(folderFd, name.c_str(), 0) == 0)
            ++removed;
    }
    return removed;
}

void TemporaryFiles::holdForTest(const char* point, const std::string& detail)
{
    // "POINT", or "POINT:TEXT" for the first hold at POINT whose detail holds TEXT.
    const char* wanted = std::getenv("ZAMO2_TEST_HOLD");
    if (!wanted)
        return;
    const std::string text = wanted;
    const std::string name = point;
    if (text != name && (text.compare(0, name.size() + 1, name + ":") != 0 ||
                         detail.find(text.substr(name.size() + 1)) == std::string::npos))
        return;
    std::printf("test hold: %s %s\n", point, detail.c_str());
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace z2e
