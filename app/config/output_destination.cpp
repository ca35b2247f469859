#include "config/output_destination.h"

#include "config/temporary_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace z2e {

namespace fs = std::filesystem;

namespace {

struct OwnEntry {
    std::string path;
    std::string what;
};

std::mutex g_ownLock;
std::vector<OwnEntry> g_own;

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with every link and ".." of the part that exists resolved.
fs::path resolved(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        absolute = path;
    fs::path canonical = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

// The entry a path names: its folder resolved, its own name kept (a link is not followed).
fs::path entryOf(const std::string& path)
{
    const std::string name = nameOf(path);
    if (name.empty() || name == "." || name == "..")
        return resolved(path);
    return resolved(folderOf(path)) / name;
}

bool within(const fs::path& folder, const fs::path& path)
{
    auto f = folder.begin();
    auto p = path.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (f->empty() && std::next(f) == folder.end())
            break; // a trailing separator
        if (p == path.end() || *f != *p)
            return false;
    }
    return true;
}

std::string kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISREG(mode))
        return "a file";
    return "not a regular file";
}

OutputDestination::Result result(OutputDestination::Status status, const std::string& path,
                                 const std::string& detail = "")
{
    return {status, OutputDestination::describe(status, path, detail)};
}

} // namespace

std::string OutputDestination::describe(Status status, const std::string& path, const std::string& detail)
{
    switch (status) {
    case Status::Ok: return "";
    case Status::NotRegular: return path + " is " + detail + ", not a regular file; it is left as it is";
    case Status::Exists: return path + " exists; it is replaced only when asked to (zamo2ctl --force)";
    case Status::ReadOnly: return path + " is read-only; it is left as it is";
    case Status::OwnData:
        return path + " is " + (detail.empty() ? std::string("the program's own data") : detail) +
               ", kept by the program itself; choose another file";
    case Status::Failed: return detail.empty() ? "cannot write " + path : detail;
    }
    return detail;
}

void OutputDestination::protectOwnData(const std::string& path, const std::string& what)
{
    if (path.empty())
        return;
    std::lock_guard<std::mutex> lock(g_ownLock);
    for (const OwnEntry& entry : g_own) {
        if (entry.path == path)
            return;
    }
    g_own.push_back({path, what});
}

void OutputDestination::clearOwnData()
{
    std::lock_guard<std::mutex> lock(g_ownLock);
    g_own.clear();
}

bool OutputDestination::isOwnData(const std::string& path, std::string* what)
{
    std::vector<OwnEntry> own;
    {
        std::lock_guard<std::mutex> lock(g_ownLock);
        own = g_own;
    }
    if (own.empty() || path.empty())
        return false;
    const fs::path entry = entryOf(path);
    const fs::path target = resolved(path);
    // What the path leads to, links followed: a hard link or a link to a protected file is it.
    struct stat named {};
    const bool exists = ::stat(path.c_str(), &named) == 0;
    for (const OwnEntry& item : own) {
        struct stat info {};
        const bool there = ::stat(item.path.c_str(), &info) == 0;
        const fs::path protectedPath = resolved(item.path);
        bool hit = false;
        if (there && !S_ISDIR(info.st_mode)) {
            // A file: by identity, so that a hard link or another spelling is found too.
            hit = (exists && named.st_dev == info.st_dev && named.st_ino == info.st_ino) || entry == protectedPath;
        } else {
            hit = within(protectedPath, entry) || within(protectedPath, target);
        }
        if (hit) {
            if (what)
                *what = item.what;
            return true;
        }
    }
    return false;
}

OutputDestination::Result OutputDestination::check(const std::string& path, bool replace)
{
    if (path.empty() || path.back() == '/')
        return {Status::Failed, "no file name in '" + path + "'"};
    std::string what;
    if (isOwnData(path, &what))
        return result(Status::OwnData, path, what);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (error != ENOENT)
            return {Status::Failed, "cannot look at " + path + ": " + std::strerror(error)};
        const std::string folder = folderOf(path);
        struct stat folderInfo {};
        if (::stat(folder.c_str(), &folderInfo) != 0)
            return {Status::Failed, "the folder " + folder + " does not exist (" + std::strerror(errno) + ")"};
        if (!S_ISDIR(folderInfo.st_mode))
            return {Status::Failed, folder + " is not a folder"};
        return {};
    }
    if (!S_ISREG(info.st_mode))
        return result(Status::NotRegular, path, kindOf(info.st_mode));
    if (!replace)
        return result(Status::Exists, path);
    if ((info.st_mode & 0222) == 0)
        return result(Status::ReadOnly, path);
    return {};
}

namespace {

// Gives the written temporary file the destination's name; on a refusal says what stands there.
OutputDestination::Result giveName(TemporaryFile& temp, const std::string& path, const WriteOptions& options)
{
    const std::string name = nameOf(path);
    const TemporaryFile::Placed placed = options.replace ? temp.placeOver(name) : temp.placeNew(name);
    if (placed == TemporaryFile::Placed::Failed)
        return {OutputDestination::Status::Failed, temp.error()};
    if (placed == TemporaryFile::Placed::Exists) {
        // Something came meanwhile: say what stands there now.
        const OutputDestination::Result now = OutputDestination::check(path, options.replace);
        return now.refused() ? now : result(OutputDestination::Status::Exists, path);
    }
    if (options.sync)
        temp.syncFolder();
    return {};
}

} // namespace

namespace {

// Checks the destination, clears what killed runs left beside it, fills a temporary file there
// by `fill` and gives it the name; `named` hears how that ended before the file goes.
OutputDestination::Result writeBeside(const std::string& path, const WriteOptions& options,
                                      const std::function<bool(TemporaryFile&)>& fill,
                                      const std::function<void(TemporaryFile&, bool)>& named = {})
{
    const OutputDestination::Result checked = OutputDestination::check(path, options.replace);
    if (!checked.ok())
        return checked;
    const std::string folder = folderOf(path);
    TemporaryFiles::removeStale(folder);
    TemporaryFile temp(folder);
    if (!fill(temp))
        return {OutputDestination::Status::Failed, temp.error()};
    const OutputDestination::Result result = giveName(temp, path, options);
    if (named)
        named(temp, result.ok());
    return result;
}

} // namespace

OutputDestination::Result OutputDestination::write(const std::string& path, const std::string& content,
                                                   const WriteOptions& options)
{
    return writeBeside(path, options, [&](TemporaryFile& temp) { return temp.write(content, options.sync); });
}

OutputDestination::Result OutputDestination::place(const std::string& source, const std::string& path,
                                                   const WriteOptions& options)
{
    bool moved = false;
    const auto fill = [&](TemporaryFile& temp) {
        moved = temp.adopt(source);
        if (!moved)
            return errno == EXDEV && temp.copyFrom(source, options.sync);
        if (options.sync) {
            // A file made elsewhere (the archive library's) reaches the disk before its name does.
            const int fd = ::open(temp.path().c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                ::fsync(fd);
                ::close(fd);
            }
        }
        return true;
    };
    // A package not placed stays where it was, for another try.
    return writeBeside(path, options, fill, [&](TemporaryFile& temp, bool ok) {
        if (!ok && moved)
            temp.giveBack(source);
        else if (ok && !moved)
            ::unlink(source.c_str());
    });
}

OutputDestination::Result OutputDestination::prepareFolder(const std::string& folder)
{
    if (folder.empty())
        return {Status::Failed, "no folder name"};
    std::string what;
    if (isOwnData(folder, &what))
        return result(Status::OwnData, folder, what);
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return {};
        return {Status::NotRegular, folder + " is " + kindOf(info.st_mode) + ", not a folder; it is left as it is"};
    }
    if (::lstat(folder.c_str(), &info) == 0)
        return {Status::NotRegular, folder + " is a symbolic link that leads nowhere; it is left as it is"};
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        return {Status::Failed, "cannot create " + folder + ": " + error.message()};
    return {};
}

} // namespace z2e
