#include "config/atomic_file_writer.h"

#include <cerrno>
#include <cstring>
#include <vector>

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

}  // namespace

bool AtomicFileWriter::write(const std::string& path, const std::string& content, std::string* error)
{
    if (path.empty() || path.back() == '/') {
        errno = EINVAL;
        return fail(error, "no file name in '" + path + "'");
    }
    const std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0) {
        return fail(error, "cannot create a temporary file in " + folderOf(path));
    }
    const std::string temp(tempName.data());
    (void)::fchmod(fd, modeFor(path));  // best effort: a default mode is no reason to fail
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = err;
        return fail(error, "cannot write " + temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(temp.c_str());
        errno = renameErrno;
        return fail(error, "cannot replace " + path);
    }
    syncFolder(folderOf(path));
    return true;
}

}  // namespace z2e
