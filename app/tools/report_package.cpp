#include "tools/report_package.h"

#include "config/output_destination.h"
#include "config/temporary_file.h"
#include "driver/command/app_status.h"
#include "uni/log.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

namespace z2e {

namespace fs = std::filesystem;

namespace {

// A regular file, rw-r--r--.
constexpr zip_uint32_t kEntryMode = 0100644;

const char* const kLogChannel = "report";

// Checks that a regular file can be opened for reading now; its size then. A special file is
// never opened: a FIFO would block.
bool readableSize(const std::string& path, std::uint64_t& size, std::string& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = "unreadable";
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!regular) {
        reason = "not a regular file";
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool inside(const fs::path& folder, const fs::path& path)
{
    const auto [end, unused] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    (void)unused;
    return end == folder.end();
}

struct ProgressState {
    const ToolProgress* progress;
    const std::string* path;
};

void reportProgress(zip_t*, double fraction, void* state)
{
    const auto* progress = static_cast<const ProgressState*>(state);
    // The archive library's own temporary file exists now.
    TemporaryFiles::holdForTest("report-package", *progress->path);
    if (*progress->progress)
        (*progress->progress)("Collecting report package files.", fraction, 0);
}

} // namespace

struct ReportPackage::Extra {
    std::string name;    ///< a document's name, or a folder's prefix
    std::string content; ///< a document's bytes
    std::string folder;  ///< empty for a document
};

const char* const ReportPackage::kLockFileMarker = "lock_file";
const char* const ReportPackage::kManifestName = "manifest.txt";

const char* ReportPackage::placementText(Placement placement)
{
    switch (placement) {
    case Placement::Placed: return "";
    case Placement::Refused: return "Error!\nThe package file was not saved there!";
    case Placement::CannotCreate: return "Error!\nCannot create package file in requested directory!";
    case Placement::CannotCollect: return "Error!\nCannot collect the files for the report package!";
    }
    return "";
}

ReportPackage::ReportPackage(std::string sourceFolder) : m_source(std::move(sourceFolder)) {}

ReportPackage::~ReportPackage()
{
    if (!m_package.empty())
        ::unlink(m_package.c_str());
    TemporaryFiles::forget(m_packageSlot);
}

void ReportPackage::addDocument(const std::string& name, std::string content)
{
    m_extras.push_back(std::make_unique<Extra>(Extra{name, std::move(content), ""}));
}

void ReportPackage::addFolder(const std::string& prefix, const std::string& folder)
{
    m_extras.push_back(std::make_unique<Extra>(Extra{prefix, "", folder}));
}

void ReportPackage::listFolder(const std::string& folder, const std::string& prefix, bool logFolder,
                               std::vector<ReportPackageEntry>& found)
{
    std::error_code error;
    const fs::path root = fs::canonical(folder, error);
    if (error)
        return;
    // Links are never followed into folders; a link to a file counts when the file is inside.
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path path = it->path();
        const std::string relative = path.lexically_relative(root).generic_string();
        const fs::file_status status = it->symlink_status(error);
        if (error) {
            m_skipped.push_back(relative + ": vanished");
            error.clear();
            continue;
        }
        if (fs::is_directory(status))
            continue;
        if (logFolder && path.filename().string().find(kLockFileMarker) != std::string::npos)
            continue;
        std::string source = path.string();
        if (fs::is_symlink(status)) {
            const fs::path target = fs::canonical(path, error);
            if (error || !inside(root, target) || !fs::is_regular_file(target, error)) {
                m_skipped.push_back(relative + ": link not followed (out of the folder, to a folder or nowhere)");
                error.clear();
                continue;
            }
            source = target.string();
        } else if (!fs::is_regular_file(status)) {
            m_skipped.push_back(relative + ": not a regular file");
            continue;
        }
        std::uint64_t size = 0;
        std::string reason;
        if (!readableSize(source, size, reason)) {
            m_skipped.push_back(relative + ": " + reason);
            continue;
        }
        found.push_back({prefix + relative, source, size});
    }
    if (error)
        m_skipped.push_back(folder + ": listing ended early: " + error.message());
}

std::string ReportPackage::entryName(const std::string& wanted)
{
    std::string name = wanted;
    for (int n = 2; m_names.count(name) != 0; ++n)
        name = "zamo2explorer-" + std::to_string(n) + "/" + wanted;
    m_names.insert(name);
    return name;
}

std::int32_t ReportPackage::collect(const std::string& buildFolder, const ToolProgress& progress)
{
    if (!m_package.empty())
        ::unlink(m_package.c_str());
    m_package.clear();
    TemporaryFiles::forget(m_packageSlot);
    m_packageSlot = -1;
    m_entries.clear();
    m_names.clear();
    m_documents.clear();
    m_manifestEntry.clear();
    m_skipped.clear();

    listFolder(m_source, "", true, m_entries);
    std::sort(m_skipped.begin(), m_skipped.end());
    if (m_entries.empty())
        return AppStatus::NothingToCollect;
    std::sort(m_entries.begin(), m_entries.end(),
              [](const ReportPackageEntry& a, const ReportPackageEntry& b) { return a.name < b.name; });
    for (const ReportPackageEntry& entry : m_entries)
        m_names.insert(entry.name);
    for (const auto& extra : m_extras) {
        if (!extra->folder.empty()) {
            std::vector<ReportPackageEntry> found;
            listFolder(extra->folder, extra->name, false, found);
            std::sort(found.begin(), found.end(),
                      [](const ReportPackageEntry& a, const ReportPackageEntry& b) { return a.name < b.name; });
            for (ReportPackageEntry& entry : found) {
                entry.name = entryName(entry.name);
                m_entries.push_back(entry);
            }
        } else {
            const std::string name = entryName(extra->name);
            m_documents[name] = &extra->content;
            m_entries.push_back({name, "", extra->content.size()});
        }
    }

    // Temporary files that a killed run left here go first; this one never stays: listed with
    // the archive library's own temporary files made of its name.
    TemporaryFiles::removeStale(buildFolder);
    const std::string path = (fs::path(buildFolder) / TemporaryFiles::freshName()).string();
    m_packageSlot = TemporaryFiles::remember(path, true);
    std::int32_t status = writeWithManifest(path, progress);
    // A log removed (rotated away) while it was packed is left out and the archive made again
    // without it: support gets the rest rather than nothing.
    for (int again = 0; status != AppStatus::Ok && again < 3 && leaveOutVanished(); ++again)
        status = writeWithManifest(path, progress);
    if (status == AppStatus::Ok) {
        m_package = path;
    } else {
        TemporaryFiles::forget(m_packageSlot);
        m_packageSlot = -1;
    }
    return status;
}

bool ReportPackage::leaveOutVanished()
{
    const auto vanished = [this](const ReportPackageEntry& entry) {
        std::uint64_t size = 0;
        std::string reason;
        if (entry.sourcePath.empty() || (readableSize(entry.sourcePath, size, reason) && size >= entry.size))
            return false;
        m_skipped.push_back(entry.name + ": vanished or shrank while it was packed");
        return true;
    };
    const auto end = std::remove_if(m_entries.begin(), m_entries.end(), vanished);
    const bool any = end != m_entries.end();
    m_entries.erase(end, m_entries.end());
    return any;
}

std::int32_t ReportPackage::writeWithManifest(const std::string& path, const ToolProgress& progress)
{
    if (!m_skipped.empty()) {
        m_manifest = "Left out of this package:\n";
        for (const std::string& line : m_skipped)
            m_manifest += line + "\n";
        if (m_manifestEntry.empty()) {
            m_manifestEntry = entryName(kManifestName);
            m_documents[m_manifestEntry] = &m_manifest;
            m_entries.push_back({m_manifestEntry, "", 0});
        }
        for (ReportPackageEntry& entry : m_entries) {
            if (entry.name == m_manifestEntry)
                entry.size = m_manifest.size();
        }
    }
    return write(path, progress);
}

std::int32_t ReportPackage::write(const std::string& path, const ToolProgress& progress)
{
    m_collectError.clear();
    int openError = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &openError);
    const std::string folder = fs::path(path).parent_path().string();
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, openError);
        m_collectError = "cannot create the archive in " + folder + ": " + zip_error_strerror(&error);
        zip_error_fini(&error);
        UNI_LOG(kLogChannel, uni::log::error) << "report package not created: " << m_collectError;
        return AppStatus::PackageFailed;
    }
    const auto fail = [&](const std::string& what) {
        m_collectError = what + ": " + zip_strerror(archive);
        UNI_LOG(kLogChannel, uni::log::error) << "report package: " << m_collectError;
        zip_discard(archive);
        ::unlink(path.c_str());
        return AppStatus::PackageFailed;
    };
    for (const ReportPackageEntry& entry : m_entries) {
        zip_source_t* source = nullptr;
        if (!entry.sourcePath.empty()) {
            source = zip_source_file(archive, entry.sourcePath.c_str(), 0, static_cast<zip_int64_t>(entry.size));
        } else {
            const std::string& content = *m_documents.at(entry.name);
            source = zip_source_buffer(archive, content.data(), content.size(), 0);
        }
        if (!source)
            return fail("cannot read " + entry.name);
        const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, 0);
        if (index < 0) {
            zip_source_free(source);
            return fail("cannot add " + entry.name);
        }
        if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) != 0)
            return fail("cannot compress " + entry.name);
        // Readable by whoever unpacks it, whatever the mode of the file it came from.
        if (zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                             kEntryMode << 16) != 0)
            return fail("cannot set the mode of " + entry.name);
    }
    ProgressState state{&progress, &path};
    zip_register_progress_callback_with_state(archive, 0.01, reportProgress, nullptr, &state);
    // The files are read only now, while the archive is written.
    if (zip_close(archive) != 0)
        return fail("cannot write the archive in " + folder);
    return AppStatus::Ok;
}

ReportPackage::Placement ReportPackage::place(const std::string& destination, bool replace)
{
    m_placeError.clear();
    struct stat info {};
    if (m_package.empty() || ::stat(m_package.c_str(), &info) != 0)
        return Placement::CannotCollect;
    const OutputDestination::Result placed = OutputDestination::place(m_package, destination, {replace, true});
    if (placed.ok()) {
        m_package.clear();
        TemporaryFiles::forget(m_packageSlot);
        m_packageSlot = -1;
        return Placement::Placed;
    }
    m_placeError = placed.message;
    UNI_LOG(kLogChannel, uni::log::error) << "report package not placed: " << placed.message;
    return placed.refused() ? Placement::Refused : Placement::CannotCreate;
}

} // namespace z2e
