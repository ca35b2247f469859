#include "crash/crash_report_writer.h"

#include <zip.h>

#include <csignal>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace crash_monitor {
namespace {

constexpr std::uint64_t kMaxScreenshotBytes = 32ull * 1024 * 1024;

const char* signalName(int number)
{
    switch (number) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    default: return "signal";
    }
}

std::string utcText(std::int64_t unixTime, const char* format)
{
    const std::time_t time = static_cast<std::time_t>(unixTime);
    std::tm parts{};
    ::gmtime_r(&time, &parts);
    char text[64];
    std::strftime(text, sizeof text, format, &parts);
    return text;
}

// The last `limit` bytes of a regular file; false when it cannot be read.
bool readTail(const std::string& path, std::uint64_t limit, std::string& content, bool& truncated)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0)
        return false;
    const std::uint64_t keep = static_cast<std::uint64_t>(size) > limit ? limit : static_cast<std::uint64_t>(size);
    truncated = keep < static_cast<std::uint64_t>(size);
    file.seekg(size - static_cast<std::streamoff>(keep));
    content.resize(static_cast<std::size_t>(keep));
    file.read(content.data(), static_cast<std::streamsize>(keep));
    content.resize(static_cast<std::size_t>(file.gcount()));
    return true;
}

std::string uniqueEntryName(const std::string& path, std::set<std::string>& taken)
{
    std::string base = fs::path(path).filename().string();
    if (base.empty())
        base = "file";
    std::string name = "files/" + base;
    for (int n = 2; taken.count(name); ++n)
        name = "files/" + std::to_string(n) + "_" + base;
    taken.insert(name);
    return name;
}

// Collects the entries' bytes, which libzip reads only when the archive is closed.
class ArchiveBuilder {
public:
    explicit ArchiveBuilder(zip_t* archive) : m_archive(archive) {}

    bool add(const std::string& name, std::string content, bool compress)
    {
        m_contents.push_back(std::move(content));
        const std::string& kept = m_contents.back();
        zip_source_t* source = zip_source_buffer(m_archive, kept.data(), kept.size(), 0);
        if (!source)
            return false;
        const zip_int64_t index = zip_file_add(m_archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        if (!compress)
            zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        return true;
    }

private:
    zip_t* m_archive;
    std::deque<std::string> m_contents;
};

zip_t* createArchive(const std::string& folder, const std::string& stem, std::string& path)
{
    for (int n = 1; n < 100; ++n) {
        path = folder + "/" + stem + (n == 1 ? std::string() : "_" + std::to_string(n)) + ".zip";
        int error = 0;
        zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
        if (archive)
            return archive;
        if (error != ZIP_ER_EXISTS)
            return nullptr;
    }
    return nullptr;
}

} // namespace

CrashReportWriter::CrashReportWriter(std::string reportFolder) : m_reportFolder(std::move(reportFolder)) {}

std::string CrashReportWriter::backtraceText(const CrashReportRecord& record,
                                             const std::vector<std::string>& frameLines)
{
    std::ostringstream text;
    char address[32];
    std::snprintf(address, sizeof address, "0x%llx", static_cast<unsigned long long>(record.faultAddress));
    text << record.applicationName << " crash report\n"
         << "Time: " << utcText(record.unixTime, "%Y-%m-%d %H:%M:%S UTC") << "\n"
         << "Process: " << record.processId << " (" << record.executable << ")\n"
         << "Thread: " << record.threadId << "\n"
         << "Signal: " << record.signalNumber << " " << signalName(record.signalNumber) << " (code "
         << record.signalCode << "), fault address " << address << "\n\n"
         << "Backtrace of the crashed thread:\n";
    for (const std::string& line : frameLines)
        text << line << "\n";
    return text.str();
}

std::string CrashReportWriter::write(const CrashReportRecord& record, const BacktraceSymbolizer& symbolizer) const
{
    std::string path;
    const std::string stem =
        "crash_" + utcText(record.unixTime, "%Y%m%d_%H%M%S") + "_" + std::to_string(record.processId);
    zip_t* archive = createArchive(m_reportFolder, stem, path);
    if (!archive)
        return {};

    ArchiveBuilder builder(archive);
    const ProcessMaps maps = ProcessMaps::parse(record.memoryMaps);
    bool complete =
        builder.add("backtrace.txt",
                    backtraceText(record, symbolizer.describe(record.frames, maps,
                                                              static_cast<std::uintptr_t>(record.instructionAddress))),
                    true);
    complete = complete && builder.add("maps.txt", record.memoryMaps, true);

    std::ostringstream manifest;
    std::set<std::string> taken;
    for (const AttachedFile& file : record.files) {
        std::string content;
        bool truncated = false;
        manifest << file.path << "\t" << file.description << "\t";
        if (!readTail(file.path, kMaxAttachedBytes, content, truncated)) {
            manifest << "missing\n";
            continue;
        }
        const std::string entry = uniqueEntryName(file.path, taken);
        complete = complete && builder.add(entry, std::move(content), true);
        manifest << entry << (truncated ? " (end only)" : "") << "\n";
    }
    complete = complete && builder.add("files.txt", manifest.str(), true);

    std::string screenshot;
    bool truncated = false;
    if (!record.screenshotPath.empty() && readTail(record.screenshotPath, kMaxScreenshotBytes, screenshot, truncated) &&
        !truncated)
        complete = complete && builder.add("screenshot.png", std::move(screenshot), false);

    if (!complete || zip_close(archive) != 0) {
        zip_discard(archive);
        std::error_code error;
        fs::remove(path, error);
        return {};
    }
    return path;
}

} // namespace crash_monitor
