#include "tools/change_intent.h"

#include "core/app_paths.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "uni/number_text.h"
#include "uni/osal.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace z2e {

namespace {

const char* const kFolder = "intents";
const char* const kSuffix = ".intent";
const char* const kTemporary = ".tmp";

// What the signal handler needs of a pending intent, prepared before the change is sent:
// fixed buffers, since it may only make system calls. One slot per change under way, as a run
// over many nodes changes boards on several threads at once.
struct PendingIntent {
    enum : int { Free, Filling, Armed, Writing };
    std::atomic<int> state{Free};
    char history[1024] = {};
    char path[1024] = {};
    char temporary[1024] = {};
    char lines[64 * 1024] = {};
    std::size_t length = 0;
};

// As many as nodes run at once (at most 64), and this computer.
constexpr std::size_t kPendingSlots = 65;
PendingIntent g_pending[kPendingSlots];

// A free slot, now Filling; null when every one is taken (the intent file still tells the next
// start).
PendingIntent* claimSlot()
{
    for (PendingIntent& slot : g_pending) {
        int free = PendingIntent::Free;
        if (slot.state.compare_exchange_strong(free, PendingIntent::Filling))
            return &slot;
    }
    return nullptr;
}

void releaseSlot(PendingIntent* slot)
{
    int armed = PendingIntent::Armed;
    if (slot && !slot->state.compare_exchange_strong(armed, PendingIntent::Free)) {
        int filling = PendingIntent::Filling;
        slot->state.compare_exchange_strong(filling, PendingIntent::Free);
    }
}

// When this process started, in clock ticks after boot: with the pid it names a process
// even after the pid was given to another one.
std::string startTimeOf(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat))
        return {};
    // The command name may hold blanks and parentheses: the fields follow the last ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22)
            return field;
    }
    return {};
}

bool alive(long pid, const std::string& startTime)
{
    if (pid <= 0)
        return false;
    // Without /proc the start time is unknown: a process of that pid counts as the writer.
    if (startTime.empty())
        return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    return startTimeOf(pid) == startTime;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

template <std::size_t N>
bool copyInto(char (&target)[N], const std::string& text)
{
    if (text.size() >= N)
        return false;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

// A line of the history that already tells how the change of an intent line ended: the same
// node, serial and operation, written at or after the intent's start.
bool superseded(const MaintenanceJournal& journal, const std::string& intentLine)
{
    using J = MaintenanceJournal;
    const std::string started = J::field(intentLine, "time");
    for (const std::string& line : journal.history(J::field(intentLine, "serial"))) {
        if (J::field(line, "node") == J::field(intentLine, "node") &&
            J::field(line, "operation") == J::field(intentLine, "operation") &&
            J::field(line, "board") == J::field(intentLine, "board") && J::field(line, "time") >= started)
            return true;
    }
    return false;
}

} // namespace

ChangeIntent::~ChangeIntent() = default;

bool ChangeIntent::begin(MaintenanceJournal* journal, const JournalEntry& entry, std::string& error)
{
    return begin(journal, std::vector<JournalEntry>{entry}, error);
}

bool ChangeIntent::begin(MaintenanceJournal* journal, const std::vector<JournalEntry>& entries, std::string& error)
{
    if (!journal || entries.empty() || record(*journal, entries, error))
        return true;
    // The record is a safety net: with the snapshots off the operator repairs without the
    // nets, and the change goes on unrecorded (its own history line still tells the outcome).
    if (!journal->snapshotsEnabled()) {
        error.clear();
        return true;
    }
    error += " - to change the board anyway, turn the snapshots off (zamo2ctl --no-snapshot)";
    return false;
}

bool ChangeIntent::record(MaintenanceJournal& journal, const std::vector<JournalEntry>& entries, std::string& error)
{
    const std::string folder = journal.folder() + "/" + kFolder;
    if (!ensureDirectory(folder)) {
        error = "cannot record the change's start: cannot create " + folder + "; nothing was sent";
        return false;
    }
    std::string lines;
    for (const JournalEntry& entry : entries)
        lines += interruptedLine(journal, entry) + "\n";
    static std::atomic<unsigned> sequence{0};
    const long pid = static_cast<long>(::getpid());
    const std::string path =
        folder + "/" + std::to_string(pid) + "-" + startTimeOf(pid) + "-" + std::to_string(sequence++) + kSuffix;
    // Written whole under a temporary name, never through a link planted in the folder nor
    // over another file: an intent that can be seen is complete.
    const std::string temporary = path + kTemporary;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot record the change's start in " + path + ": " + std::strerror(errno) + "; nothing was sent";
        return false;
    }
    bool written = writeAll(fd, lines) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    // Armed before the intent can be seen: a signal from then on journals it at once.
    PendingIntent* slot = written ? claimSlot() : nullptr;
    if (slot) {
        slot->length = lines.size();
        const bool copied = copyInto(slot->history, journal.folder() + "/history.jsonl") &&
                            copyInto(slot->path, path) && copyInto(slot->temporary, temporary) &&
                            copyInto(slot->lines, lines);
        slot->state = copied ? PendingIntent::Armed : PendingIntent::Free;
        slot = copied ? slot : nullptr;
    }
    written = written && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written || !syncFolder(folder)) {
        releaseSlot(slot);
        ::unlink(temporary.c_str());
        ::unlink(path.c_str());
        error = "cannot record the change's start in " + path + ": " +
                std::strerror(written ? errno : (writeError ? writeError : ENOSPC)) + "; nothing was sent";
        return false;
    }
    m_path = path;
    m_slot = slot;
    return true;
}

void ChangeIntent::end()
{
    if (m_path.empty())
        return;
    releaseSlot(static_cast<PendingIntent*>(m_slot));
    m_slot = nullptr;
    ::unlink(m_path.c_str());
    m_path.clear();
}

std::string ChangeIntent::interruptedLine(const MaintenanceJournal& journal, JournalEntry entry)
{
    if (entry.time.empty())
        entry.time = MaintenanceJournal::utcNow();
    entry.result = kInterruptedResult;
    entry.statusText = "interrupted: " + entry.operation +
                       " was started but did not end (the program was stopped, timed out, killed or crashed); "
                       "what the board now holds is unknown - check it, or restore the snapshot taken before";
    entry.verification = kInterrupted;
    return journal.line(entry);
}

std::size_t ChangeIntent::recover(MaintenanceJournal& journal)
{
    const std::string folder = journal.folder() + "/" + kFolder;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    std::vector<std::string> names;
    const std::string temporary = std::string(kSuffix) + kTemporary;
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        const auto endsWith = [&name](const std::string& end) {
            return name.size() > end.size() && name.compare(name.size() - end.size(), std::string::npos, end) == 0;
        };
        if (endsWith(kSuffix) || endsWith(temporary))
            names.push_back(name);
    }
    ::closedir(dir);
    std::size_t appended = 0;
    for (const std::string& name : names) {
        const std::size_t dash = name.find('-');
        const std::size_t second = name.find('-', dash + 1);
        std::int32_t pid = 0;
        uni::text::parseSignedDecimal(name.substr(0, dash), pid);
        const std::string started =
            dash == std::string::npos || second == std::string::npos ? "" : name.substr(dash + 1, second - dash - 1);
        if (alive(pid, started))
            continue;
        const std::string path = folder + "/" + name;
        if (name.size() > temporary.size() &&
            name.compare(name.size() - temporary.size(), std::string::npos, temporary) == 0) {
            ::unlink(path.c_str()); // killed before its change was sent: nothing to journal
            continue;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        std::string text;
        if (fd >= 0) {
            char buffer[4096];
            ssize_t n = 0;
            while (text.size() < sizeof(PendingIntent::lines) && (n = ::read(fd, buffer, sizeof buffer)) > 0)
                text.append(buffer, static_cast<std::size_t>(n));
            ::close(fd);
        }
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.front() == '{' && line.back() == '}' && !superseded(journal, line))
                lines.push_back(line);
        }
        if (!lines.empty() && !journal.appendLines(lines))
            continue; // kept for a later start
        appended += lines.size();
        ::unlink(path.c_str());
    }
    return appended;
}

void ChangeIntent::interruptNow() noexcept
{
    for (PendingIntent& slot : g_pending) {
        int armed = PendingIntent::Armed;
        if (!slot.state.compare_exchange_strong(armed, PendingIntent::Writing))
            continue;
        const int fd = ::open(slot.history, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            continue;
        const ssize_t written = ::write(fd, slot.lines, slot.length);
        const bool synced = ::fsync(fd) == 0;
        ::close(fd);
        // A line that did not go in whole is left to the next start, which appends it again.
        if (written == static_cast<ssize_t>(slot.length) && synced) {
            ::unlink(slot.path);
            ::unlink(slot.temporary);
        }
    }
}

bool ChangeIntent::connectionLost(std::int32_t result)
{
    return result >= uni::osal::ERR_UNI_OSAL_BASE && result <= uni::osal::ERR_UNI_OSAL_ECOMMAND + 1;
}

std::string ChangeIntent::statusOf(std::int32_t result, const std::string& text)
{
    if (!connectionLost(result))
        return text;
    return "interrupted: the connection to the node was lost during the change (" + std::to_string(result) + " " +
           nodeResultText(result, nullptr) + "); what the board now holds is unknown";
}

} // namespace z2e
