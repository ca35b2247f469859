#include "tools/maintenance_journal.h"

#include "config/temporary_file.h"
#include "core/app_paths.h"
#include "core/json_text.h"
#include "tools/journal_line_reader.h"
#include "tools/record_author.h"
#include "uni/number_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace z2e {

namespace {

// A results.log header line is far shorter: time, serial, operation and a size.
constexpr std::size_t kMaxResultHeader = 4096;
// Another program's append takes milliseconds, its sync on a busy disk seconds; one holding the
// lock far longer is stopped or hung.
constexpr int kLockWaitMs = 10000;

// An EEPROM that cannot be read has nothing to save; the operator decides to change it anyway.
const char* const kUnreadableHint =
    " - to change a board whose EEPROM cannot be read, turn the snapshots off (zamo2ctl --no-snapshot, "
    "setting ApplicationSettings/MaintenanceSnapshots=false)";
// Nor need a snapshot that cannot be written (a full or read-only disk) stop a repair.
const char* const kUnwritableHint =
    " - to change the board without one, turn the snapshots off (zamo2ctl --no-snapshot)";
const char* const kUnwritableEnclosureHint =
    " - to change the enclosure without one, turn the snapshots off (zamo2ctl --no-snapshot)";

// A serial number becomes a folder name: anything but letters and digits is replaced.
std::string folderNameOf(const std::string& serial)
{
    if (serial.empty())
        return "unknown";
    std::string name = serial;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

void appendUtf8(std::string& text, unsigned long code)
{
    if (code >= 0xd800 && code < 0xe000)
        code = 0xfffd; // a surrogate without its other half
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xc0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xe0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        text += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        text += static_cast<char>(0xf0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        text += static_cast<char>(0x80 | (code & 0x3f));
    }
}

// The character of a \u escape (of a surrogate pair: both) starting at `at`; `at` ends on its last digit.
void appendEscapedCharacter(const std::string& line, std::size_t& at, std::string& value)
{
    std::uint32_t code = 0;
    uni::text::parseLeadingHex(line.substr(at + 1, 4), code);
    at += 4;
    if (code >= 0xd800 && code < 0xdc00 && line.compare(at + 1, 2, "\\u") == 0 && at + 6 < line.size()) {
        std::uint32_t low = 0;
        uni::text::parseLeadingHex(line.substr(at + 3, 4), low);
        if (low >= 0xdc00 && low < 0xe000) {
            code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00);
            at += 6;
        }
    }
    appendUtf8(value, code);
}

std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

const char* MaintenanceJournal::unreadableHint()
{
    return kUnreadableHint;
}

MaintenanceJournal::MaintenanceJournal(std::string maintenanceFolder, std::string node)
    : m_folder(std::move(maintenanceFolder)), m_node(std::move(node)), m_user(RecordAuthor::user()),
      m_host(RecordAuthor::host())
{
}

std::string MaintenanceJournal::defaultFolder()
{
    return expandedAppPath(AppPathKind::DataFolder) + "/maintenance";
}

std::string MaintenanceJournal::nodeOf(const QorinNodeUtilWrapper& wrapper)
{
    const auto& node = wrapper.node();
    if (!node || node->isLocal())
        return "local";
    return node->getAddress() + " " + node->getName();
}

std::string MaintenanceJournal::utcNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03dZ", text, static_cast<int>(ms));
    return full;
}

// The time part of file names: sortable, without characters some file systems refuse.
std::string MaintenanceJournal::stamp() const
{
    if (m_fileClock)
        return m_fileClock();
    std::string text = utcNow();
    for (char& c : text) {
        if (c == ':')
            c = '-';
    }
    return text;
}

// Each folder is made once per journal: a procedure writes many files into few folders.
bool MaintenanceJournal::folderExists(const std::string& folder)
{
    if (m_folders.count(folder) != 0)
        return true;
    if (!ensureDirectory(folder))
        return false;
    m_folders.insert(folder);
    return true;
}

bool MaintenanceJournal::fail(const std::string& message)
{
    m_error = message;
    return false;
}

std::int32_t MaintenanceJournal::snapshot(QorinNodeUtilWrapper& wrapper, const BoardIdentity& board,
                                          const std::string& operation, std::vector<std::string>& files)
{
    files.clear();
    if (!m_snapshots)
        return 0;
    std::string base;
    std::string con;
    std::int32_t result = wrapper.getBaseEeprom(board.index, base);
    if (result >= 1) {
        fail("cannot read the base EEPROM of " + board.label() + " (" + std::to_string(result) + ")" + kUnreadableHint);
        return 4009;
    }
    result = wrapper.getConEeprom(board.index, con);
    if (result >= 1) {
        fail("cannot read the connector EEPROM of " + board.label() + " (" + std::to_string(result) + ")" +
             kUnreadableHint);
        return 4009;
    }
    base += "\n";
    con += "\n";
    if (!writeFile(folderNameOf(board.serial), operation, {{"base.xml", &base}, {"con.xml", &con}}, true, files)) {
        m_error += kUnwritableHint;
        return 4009;
    }
    return 0;
}

std::int32_t MaintenanceJournal::snapshotEnclosure(QorinNodeUtilWrapper& wrapper, std::uint32_t enclosure,
                                                   const std::string& serial, const std::string& operation,
                                                   std::vector<std::string>& files)
{
    files.clear();
    if (!m_snapshots)
        return 0;
    std::string document;
    const std::int32_t result = wrapper.getEnclosureProperties(enclosure, document);
    if (result >= 1 || document.empty()) {
        fail("cannot read the description of enclosure " + std::to_string(enclosure) + " (" + std::to_string(result) +
             ")");
        return 4009;
    }
    const std::string text = document + "\n";
    if (!writeFile("enclosure_" + folderNameOf(serial), operation, {{"enclosure.xml", &text}}, true, files)) {
        m_error += kUnwritableEnclosureHint;
        return 4009;
    }
    return 0;
}

bool MaintenanceJournal::keepResults(const std::string& operation, const std::vector<KeptResult>& results)
{
    if (!folderExists(m_folder))
        return fail("cannot create " + m_folder);
    const std::string path = m_folder + "/" + kResultsFile;
    std::string error;
    const int out = openOwnFile(path, O_WRONLY | O_APPEND | O_CREAT, error);
    if (out < 0)
        return fail(error);
    // Another program appending at the same time waits; the offsets below are then exact.
    struct stat before {};
    bool ok = lockOwnFile(out, path) &&
              (::fstat(out, &before) == 0 || fail("cannot read the size of " + path + ": " + std::strerror(errno)));
    const std::string time = utcNow();
    std::string text;
    std::size_t size = 0;
    constexpr std::size_t kHeaderRoom = 192; // time, serial, operation and size, as a rule
    for (const KeptResult& result : results)
        size += result.document->size() + kHeaderRoom;
    text.reserve(size);
    std::vector<std::string> references;
    for (const KeptResult& result : results) {
        references.push_back(std::string(kResultsFile) + "@" +
                             std::to_string(before.st_size + static_cast<off_t>(text.size())));
        text.append("{\"time\":");
        appendJsonString(text, time);
        text.append(",\"serial\":");
        appendJsonString(text, result.serial);
        text.append(",\"operation\":");
        appendJsonString(text, operation);
        text.append(",\"bytes\":").append(std::to_string(result.document->size())).append("}\n");
        text.append(*result.document).append("\n");
    }
    const ssize_t written = ok ? ::write(out, text.data(), text.size()) : 0;
    if (ok && written != static_cast<ssize_t>(text.size()))
        ok = fail("cannot append to " + path + ": " +
                  (written < 0 ? std::string(std::strerror(errno)) : std::string("disk full")));
    // The documents start on their way to the disk now, while the history lines are made and
    // written: the sync after them then has little left to wait for.
    if (ok)
        ::sync_file_range(out, before.st_size, static_cast<off_t>(text.size()), SYNC_FILE_RANGE_WRITE);
    // Documents no line will name would only make the file longer.
    if (!ok && written > 0 && ::ftruncate(out, before.st_size) != 0)
        m_error += " (and what was written could not be removed)";
    ::close(out);
    m_unsynced = m_unsynced || ok;
    for (std::size_t i = 0; ok && i < results.size(); ++i) {
        if (results[i].reference)
            *results[i].reference = references[i];
    }
    return ok;
}

// Synced after the history: a file system that writes data before the metadata naming it (as
// ext4 does by default) has then written the documents with the lines, and this sync is nearly
// free. A line whose document did not reach the disk reads as naming none.
bool MaintenanceJournal::syncResults()
{
    const std::string path = m_folder + "/" + kResultsFile;
    std::string error;
    const int fd = openOwnFile(path, O_WRONLY, error);
    if (fd < 0)
        return fail(error);
    const bool synced = ::fdatasync(fd) == 0 || fail("cannot sync " + path + ": " + std::strerror(errno));
    ::close(fd);
    m_unsynced = !synced;
    return synced;
}

bool MaintenanceJournal::startResultsSync(HelperThread& thread, std::string& error) const
{
    const std::string path = m_folder + "/" + kResultsFile;
    return thread.start([path, &error] {
        const int fd = openOwnFile(path, O_WRONLY, error);
        if (fd < 0)
            return;
        const int synced = ::fdatasync(fd) == 0 ? 0 : errno;
        ::close(fd);
        if (synced != 0)
            error = "cannot sync " + path + ": " + std::strerror(synced);
    });
}

// A file of the journal's own: never through a link, never waiting on a FIFO, never a folder.
int MaintenanceJournal::openOwnFile(const std::string& path, int flags, std::string& error)
{
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno == ELOOP ? path + " is a symbolic link, not a file of the journal's own; nothing is written "
                                        "through it"
                               : "cannot open " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + " is not a plain file of the journal's own; remove what stands there";
        ::close(fd);
        return -1;
    }
    return fd;
}

int MaintenanceJournal::openFolderIn(const std::string& maintenance, const std::string& folderName, std::string& error)
{
    const std::string folder = maintenance + "/" + folderName;
    const int parent = ::open(maintenance.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        error = "cannot open " + maintenance + ": " + std::strerror(errno);
        return -1;
    }
    if (::mkdirat(parent, folderName.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        ::close(parent);
        return -1;
    }
    // A link planted in place of the board's folder is never followed.
    const int fd = ::openat(parent, folderName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int openError = errno;
    ::close(parent);
    if (fd < 0) {
        error = openError == ELOOP || openError == ENOTDIR
                    ? folder + " is not a folder of the journal's own (a symbolic link or a file stands there); "
                               "nothing is written through it"
                    : "cannot open " + folder + ": " + std::strerror(openError);
        return -1;
    }
    return fd;
}

int MaintenanceJournal::openOwnFolder(const std::string& folderName)
{
    if (!folderExists(m_folder)) {
        fail("cannot create " + m_folder);
        return -1;
    }
    std::string error;
    const int fd = openFolderIn(m_folder, folderName, error);
    if (fd < 0)
        fail(error);
    return fd;
}

bool MaintenanceJournal::writeFile(const std::string& folderName, const std::string& operation,
                                   const std::vector<std::pair<std::string, const std::string*>>& parts, bool sync,
                                   std::vector<std::string>& files)
{
    files.clear();
    const int fd = openOwnFolder(folderName);
    if (fd < 0)
        return false;
    // Temporary files that a killed run left here go first.
    TemporaryFiles::removeStale(fd);
    std::vector<std::unique_ptr<TemporaryFile>> temps;
    const bool ok = placeFiles(fd, folderName, operation, parts, temps, sync, files);
    temps.clear(); // the unplaced ones go while their folder is still open
    ::close(fd);
    return ok;
}

// New files only: each gets a temporary file of its own (never through a link; one made ahead
// is used as it is), then the first name "<time>[-n]_<operation>_<end>" free for all of them
// at once.
bool MaintenanceJournal::placeFiles(int fd, const std::string& folderName, const std::string& operation,
                                    const std::vector<std::pair<std::string, const std::string*>>& parts,
                                    std::vector<std::unique_ptr<TemporaryFile>>& temps, bool sync,
                                    std::vector<std::string>& files)
{
    const std::string folder = m_folder + "/" + folderName;
    const auto written = [&](std::size_t i) {
        if (temps[i]->write(*parts[i].second, sync))
            return true;
        fail("cannot write " + folder + "/" + parts[i].first + ": " + temps[i]->error());
        return false;
    };
    bool ok = true;
    for (std::size_t i = 0; ok && i < parts.size(); ++i) {
        if (i >= temps.size())
            temps.push_back(std::make_unique<TemporaryFile>(fd, folder));
        ok = written(i);
    }
    const std::string when = stamp();
    for (int n = 1; ok && n <= 1000 && files.empty(); ++n) {
        const std::string prefix = when + (n > 1 ? "-" + std::to_string(n) : std::string()) + "_" + operation + "_";
        std::vector<std::string> placed;
        bool taken = false;
        for (std::size_t i = 0; ok && !taken && i < parts.size(); ++i) {
            const TemporaryFile::Placed result = temps[i]->placeNew(prefix + parts[i].first);
            if (result == TemporaryFile::Placed::Ok)
                placed.push_back(prefix + parts[i].first);
            else if (result == TemporaryFile::Placed::Exists)
                taken = true;
            else
                ok = fail(temps[i]->error());
        }
        if (ok && !taken) {
            for (const std::string& name : placed)
                files.push_back(folder + "/" + name);
            break;
        }
        // One of the names is taken (by another writer, or by a link planted there): the set
        // goes under the next one.
        for (std::size_t i = 0; i < placed.size(); ++i) {
            ::unlinkat(fd, placed[i].c_str(), 0);
            ok = ok && written(i);
        }
    }
    if (ok && files.empty())
        ok = fail("no free name for the files of " + operation + " in " + folder);
    if (ok && sync)
        ::fsync(fd);
    return ok;
}

MaintenanceJournal::~MaintenanceJournal() = default;

JournalEntry JournalEntry::forBoard(const BoardIdentity& board, std::string operation, std::string parameters)
{
    JournalEntry entry;
    entry.board = board.index;
    entry.slot = board.slot;
    entry.boardEnclosure = board.enclosure;
    entry.model = board.model;
    entry.serial = board.serial;
    entry.operation = std::move(operation);
    entry.parameters = std::move(parameters);
    return entry;
}

// Built by appending: a self test writes a line for each of dozens of boards.
std::string MaintenanceJournal::line(const JournalEntry& entry) const
{
    std::string out;
    out.reserve(512);
    const auto keyAndText = [&out](const char* key, const std::string& text) {
        out.append(key);
        appendJsonString(out, text);
    };
    keyAndText("{\"time\":", entry.time);
    keyAndText(",\"user\":", m_user);
    keyAndText(",\"host\":", m_host);
    keyAndText(",\"node\":", m_node);
    if (entry.enclosure >= 0) {
        out.append(",\"enclosure\":").append(std::to_string(entry.enclosure));
    } else {
        out.append(",\"board\":").append(std::to_string(entry.board)).append(",\"slot\":");
        out.append(entry.slot == BoardIdentity::kUnknownSlot ? std::string("null") : std::to_string(entry.slot));
    }
    // The board's place as the tree names it, where it is known.
    if (entry.enclosure < 0 && entry.boardEnclosure >= 0 && entry.slot != BoardIdentity::kUnknownSlot)
        out.append(",\"place\":\"")
            .append(std::to_string(entry.boardEnclosure))
            .append("/")
            .append(std::to_string(entry.slot))
            .append("\"");
    keyAndText(",\"model\":", entry.model);
    keyAndText(",\"serial\":", entry.serial);
    keyAndText(",\"operation\":", entry.operation);
    keyAndText(",\"parameters\":", entry.parameters);
    if (!entry.firmwareBefore.empty() || !entry.firmwareAfter.empty()) {
        keyAndText(",\"firmwareBefore\":", entry.firmwareBefore);
        keyAndText(",\"firmwareAfter\":", entry.firmwareAfter);
    }
    out.append(",\"result\":").append(std::to_string(entry.result));
    keyAndText(",\"status\":", entry.statusText);
    if (!entry.verification.empty())
        keyAndText(",\"verification\":", entry.verification);
    out.append(",\"snapshots\":[");
    for (std::size_t i = 0; i < entry.snapshots.size(); ++i)
        keyAndText(i ? "," : "", baseName(entry.snapshots[i]));
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.3f", entry.durationSeconds);
    keyAndText("],\"resultDocument\":", baseName(entry.resultDocument));
    out.append(",\"durationSeconds\":").append(duration).append("}");
    return out;
}

bool MaintenanceJournal::append(JournalEntry entry)
{
    return append(std::vector<JournalEntry>{std::move(entry)});
}

bool MaintenanceJournal::append(std::vector<JournalEntry> entries)
{
    std::vector<std::string> lines;
    for (JournalEntry& entry : entries) {
        if (entry.time.empty())
            entry.time = utcNow();
        lines.push_back(line(entry));
    }
    return appendLines(lines);
}

bool MaintenanceJournal::appendLines(const std::vector<std::string>& lines)
{
    if (!folderExists(m_folder))
        return fail("cannot create " + m_folder);
    const std::string path = m_folder + "/history.jsonl";
    std::string error;
    const int fd = openOwnFile(path, O_RDWR | O_APPEND | O_CREAT, error); // read: its last byte
    if (fd < 0)
        return fail(error);
    // Another program appending at the same time waits; the lock ends with the close.
    bool ok = lockOwnFile(fd, path) && endTornLine(fd, path);
    // All lines in one write; where it falls short, the whole lines written stay.
    std::string text;
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 1;
    text.reserve(size);
    for (const std::string& line : lines)
        text.append(line).append("\n");
    struct stat before {};
    const bool sized = ok && ::fstat(fd, &before) == 0;
    const ssize_t written = ok ? ::write(fd, text.data(), text.size()) : 0;
    if (ok && written != static_cast<ssize_t>(text.size())) {
        ok = false;
        fail("cannot append to " + path + ": " +
             (written < 0 ? std::string(std::strerror(errno)) : std::string("disk full")));
        // A line cut short would spoil every reader after it.
        const std::size_t whole =
            written > 0 ? text.rfind('\n', static_cast<std::size_t>(written) - 1) + 1 : 0; // npos + 1 == 0
        if (written > 0 && sized && ::ftruncate(fd, before.st_size + static_cast<off_t>(whole)) != 0)
            m_error += " (and the partial line could not be removed)";
    }
    // The documents are synced beside the lines: the disk then takes both flushes at once.
    std::string resultsError;
    HelperThread resultsSync;
    const bool beside = ok && m_unsynced && startResultsSync(resultsSync, resultsError);
    const int linesSynced = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    resultsSync.join();
    if (linesSynced != 0 && ok) {
        ok = false;
        fail("cannot sync " + path + ": " + std::strerror(linesSynced));
    }
    if (beside) {
        m_unsynced = !resultsError.empty();
        if (!resultsError.empty() && ok)
            ok = fail(resultsError);
    } else if (ok && m_unsynced) {
        ok = syncResults();
    }
    return ok;
}

// Polled: a blocking flock could not be bounded.
bool MaintenanceJournal::lockOwnFile(int fd, const std::string& path)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return fail("cannot lock " + path + ": " + std::strerror(errno));
        if (std::chrono::steady_clock::now() > until)
            return fail(path + " stays locked by another program for over " + std::to_string(kLockWaitMs / 1000) +
                        " s; nothing was written to it - end that program and run again");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool MaintenanceJournal::endTornLine(int fd, const std::string& path)
{
    struct stat info {};
    char last = '\n';
    if (::fstat(fd, &info) != 0 || info.st_size == 0 || ::pread(fd, &last, 1, info.st_size - 1) != 1 || last == '\n')
        return true;
    if (::write(fd, "\n", 1) == 1)
        return true;
    return fail("cannot append to " + path + ": " + std::strerror(errno));
}

std::vector<std::string> MaintenanceJournal::history(const std::string& serial) const
{
    return read(serial).lines;
}

JournalHistory MaintenanceJournal::read(const std::string& serial) const
{
    std::vector<std::string> lines;
    JournalHistory history = visit(serial, [&lines](const std::string& line) { lines.push_back(line); });
    history.lines = std::move(lines);
    return history;
}

JournalHistory MaintenanceJournal::visit(const std::string& serial,
                                         const std::function<void(const std::string&)>& visit) const
{
    const std::string wanted = serialKey(serial);
    JournalHistory history;
    JournalLineReader reader(m_folder + "/history.jsonl");
    for (std::string text; reader.next(text);) {
        if (serial.empty() || serialKey(field(text, "serial")) == wanted)
            visit(text);
    }
    history.damaged = reader.damaged();
    history.error = reader.error();
    return history;
}

std::string MaintenanceJournal::resultDocument(const std::string& line, std::size_t most) const
{
    const std::string name = field(line, "resultDocument");
    const std::size_t at = name.find('@');
    if (at == std::string::npos) {
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
            return {};
        return readOwnFile(m_folder + "/" + folderNameOf(field(line, "serial")) + "/" + name, 0, most);
    }
    std::uint64_t offset = 0;
    if (name.compare(0, at, kResultsFile) != 0 || !uni::text::parseUnsignedDecimal(name.substr(at + 1), offset))
        return {};
    const std::string path = m_folder + "/" + kResultsFile;
    // The header must be the one written with the document: an offset into a file replaced
    // since, or a damaged line, gives nothing rather than another board's document.
    std::string header = readOwnFile(path, offset, kMaxResultHeader);
    const std::size_t end = header.find('\n');
    std::uint64_t bytes = 0;
    if (end == std::string::npos)
        return {};
    header.resize(end);
    if (serialKey(field(header, "serial")) != serialKey(field(line, "serial")) ||
        !uni::text::parseUnsignedDecimal(field(header, "bytes"), bytes))
        return {};
    return readOwnFile(path, offset + end + 1, static_cast<std::size_t>(std::min<std::uint64_t>(most, bytes)));
}

std::string MaintenanceJournal::readOwnFile(const std::string& path, std::uint64_t offset, std::size_t most)
{
    std::string error;
    const int fd = openOwnFile(path, O_RDONLY, error);
    if (fd < 0)
        return {};
    std::string text(most, '\0');
    std::size_t got = 0;
    for (ssize_t n = 0; got < text.size(); got += static_cast<std::size_t>(n)) {
        n = ::pread(fd, &text[got], text.size() - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (n <= 0)
            break;
    }
    ::close(fd);
    text.resize(got);
    return text;
}

std::vector<std::string> MaintenanceJournal::snapshotFiles(const std::string& line) const
{
    std::vector<std::string> files;
    const std::string key = "\"snapshots\":[";
    std::size_t at = line.find(key);
    if (at == std::string::npos)
        return files;
    at += key.size();
    const std::string folder = m_folder + "/" + folderNameOf(field(line, "serial")) + "/";
    while (at < line.size() && line[at] == '"') {
        std::size_t end = at + 1;
        while (end < line.size() && line[end] != '"')
            end += line[end] == '\\' ? 2 : 1;
        // Each name is a JSON text: field() unescapes it as the value of a one-key object.
        files.push_back(folder + field("{\"n\":" + line.substr(at, end + 1 - at) + "}", "n"));
        at = end + 1;
        if (at < line.size() && line[at] == ',')
            ++at;
    }
    return files;
}

std::string MaintenanceJournal::field(const std::string& line, const std::string& key)
{
    const std::string name = "\"" + key + "\":";
    std::size_t at = line.find(name);
    if (at == std::string::npos)
        return {};
    at += name.size();
    std::string value;
    if (at < line.size() && line[at] != '"') {
        while (at < line.size() && line[at] != ',' && line[at] != '}' && line[at] != ']')
            value += line[at++];
        return value;
    }
    for (++at; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] != '\\' || at + 1 >= line.size()) {
            value += line[at];
            continue;
        }
        const char escaped = line[++at];
        if (escaped == 'n')
            value += '\n';
        else if (escaped == 'r')
            value += '\r';
        else if (escaped == 't')
            value += '\t';
        else if (escaped == 'u' && at + 4 < line.size())
            appendEscapedCharacter(line, at, value);
        else
            value += escaped;
    }
    return value;
}

std::string MaintenanceJournal::serialKey(std::string serial)
{
    for (char& c : serial)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return serial;
}

std::map<std::string, std::int32_t> MaintenanceJournal::lastResults(const std::string& operation) const
{
    std::map<std::string, std::int32_t> results;
    visit("", [&](const std::string& text) {
        const std::string serial = serialKey(field(text, "serial"));
        // Lines without a serial cannot be told apart by board.
        if (serial.empty() || field(text, "node") != m_node || field(text, "operation") != operation)
            return;
        std::int32_t result = 0;
        uni::text::parseSignedDecimal(field(text, "result"), result);
        results[serial] = result;
    });
    return results;
}

bool MaintenanceJournal::lastResult(const std::string& serial, const std::string& operation, std::int32_t& result) const
{
    const auto results = lastResults(operation);
    const auto found = results.find(serialKey(serial));
    if (found == results.end())
        return false;
    result = found->second;
    return true;
}

} // namespace z2e
