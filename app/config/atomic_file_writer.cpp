#include "config/atomic_file_writer.h"

#include "config/temporary_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace z2e {

namespace {

bool fail(std::string* error, const std::string& what)
{
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errno);
    }
    return false;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::string& content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The replacement keeps the permissions of the file it replaces.
mode_t modeFor(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    return 0644;
}

// Makes the rename itself durable; a failure here does not undo the write.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a path names in the end: a symbolic link is followed to its target, so that the
// rename replaces the target and the link keeps pointing at it.
std::string finalTarget(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size() - 1);
        if (n < 0)
            return current;
        const std::string target(link.data(), static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : folderOf(current) + "/" + target;
    }
    return current;
}

// "<base>.tmp-" and six characters (of an earlier version), or "<base>." and a temporary name
// that tells its process, whose own file stays while it lives.
bool isStaleTemporary(const std::string& name, const std::string& base)
{
    const std::string earlier = base + ".tmp-";
    if (name.size() == earlier.size() + 6 && name.compare(0, earlier.size(), earlier) == 0)
        return true;
    const std::string prefix = base + "." + TemporaryFiles::kPrefix;
    return name.compare(0, prefix.size(), prefix) == 0 &&
           !TemporaryFiles::ownedByLiveProcess(name.substr(base.size() + 1));
}

} // namespace

int AtomicFileWriter::removeStaleTemporaries(const std::string& path)
{
    const std::string target = finalTarget(path);
    const std::string folder = folderOf(target);
    const std::string base =
        target.substr(target.find_last_of('/') == std::string::npos ? 0 : target.find_last_of('/') + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info;
        const std::string full = folder + "/" + name;
        // Only plain files of our own name pattern; never what a link points at.
        if (isStaleTemporary(name, base) && ::lstat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::unlink(full.c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

bool AtomicFileWriter::write(const std::string& requested, const std::string& content, std::string* error)
{
    if (requested.empty() || requested.back() == '/') {
        errno = EINVAL;
        return fail(error, "no file name in '" + requested + "'");
    }
    const std::string path = finalTarget(requested);
    // Named after this process: another run that loads the file meanwhile leaves it alone.
    const std::string pattern = path + "." + TemporaryFiles::freshName() + ".XXXXXX";
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0) {
        return fail(error, "cannot create a temporary file in " + folderOf(path));
    }
    const std::string temp(tempName.data());
    // Ctrl+C, SIGTERM or the time-out of zamo2ctl remove it too.
    const int slot = TemporaryFiles::remember(temp);
    (void)::fchmod(fd, modeFor(path)); // best effort: a default mode is no reason to fail
    bool ok = writeAll(fd, content);
    if (ok)
        TemporaryFiles::holdForTest("temporary", temp);
    ok = ok && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        TemporaryFiles::forget(slot);
        errno = err;
        return fail(error, "cannot write " + temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(temp.c_str());
        TemporaryFiles::forget(slot);
        errno = renameErrno;
        return fail(error, "cannot replace " + path);
    }
    TemporaryFiles::forget(slot);
    syncFolder(folderOf(path));
    return true;
}

} // namespace z2e
