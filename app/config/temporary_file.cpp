#include "config/temporary_file.h"

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

TemporaryFile::TemporaryFile(const std::string& folder) : m_ownsFolder(true), m_folderPath(folder)
{
    m_folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        fail("cannot open the folder " + folder, errno);
}

TemporaryFile::TemporaryFile(int folderFd, const std::string& folderPath)
    : m_folderFd(folderFd), m_ownsFolder(false), m_folderPath(folderPath)
{
}

TemporaryFile::~TemporaryFile()
{
    discard();
    if (m_ownsFolder && m_folderFd >= 0)
        ::close(m_folderFd);
}

bool TemporaryFile::fail(const std::string& what, int error)
{
    m_error = what + ": " + std::strerror(error);
    return false;
}

void TemporaryFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_name.empty())
        ::unlinkat(m_folderFd, m_name.c_str(), 0);
    TemporaryFiles::forget(m_slot);
    m_slot = -1;
    m_name.clear();
}

bool TemporaryFile::open()
{
    discard();
    m_error.clear();
    if (m_folderFd < 0)
        return fail("cannot open the folder " + m_folderPath, ENOENT);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = TemporaryFiles::freshName();
        const std::string path = m_folderPath + "/" + name;
        // Listed before it exists: a signal right after the creation still finds it.
        m_slot = TemporaryFiles::remember(path);
        m_fd = ::openat(m_folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_name = name;
            m_path = path;
            return true;
        }
        const int error = errno;
        TemporaryFiles::forget(m_slot);
        m_slot = -1;
        if (error != EEXIST)
            return fail("cannot create a temporary file in " + m_folderPath, error);
    }
    return fail("cannot create a temporary file in " + m_folderPath, EEXIST);
}

bool TemporaryFile::finish(bool ok, bool sync)
{
    int error = errno;
    if (ok)
        TemporaryFiles::holdForTest("temporary", m_path);
    if (ok && sync && ::fsync(m_fd) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(m_fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    m_fd = -1;
    if (!ok) {
        const std::string path = m_path;
        discard();
        return fail("cannot write " + path, error);
    }
    return true;
}

bool TemporaryFile::create()
{
    return open();
}

bool TemporaryFile::write(const std::string& content, bool sync)
{
    if (m_fd < 0 && !open())
        return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(m_fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return finish(ok, sync);
}

bool TemporaryFile::copyFrom(const std::string& source, bool sync)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail("cannot read " + source, errno);
    if (!open()) {
        ::close(in);
        return false;
    }
    std::vector<char> block(1 << 20);
    bool ok = true;
    while (ok) {
        const ssize_t got = ::read(in, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = ::write(m_fd, block.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put == 0)
                errno = ENOSPC;
            ok = put > 0;
            done += put > 0 ? put : 0;
        }
    }
    const int error = errno;
    ::close(in);
    errno = error;
    return finish(ok, sync);
}

bool TemporaryFile::adopt(const std::string& source)
{
    discard();
    m_error.clear();
    if (m_folderFd < 0)
        return fail("cannot open the folder " + m_folderPath, ENOENT);
    const std::string name = TemporaryFiles::freshName();
    const std::string path = m_folderPath + "/" + name;
    m_slot = TemporaryFiles::remember(path);
    if (::renameat2(AT_FDCWD, source.c_str(), m_folderFd, name.c_str(), RENAME_NOREPLACE) != 0 &&
        ((errno != EINVAL && errno != ENOSYS) || ::renameat(AT_FDCWD, source.c_str(), m_folderFd, name.c_str()) != 0)) {
        const int error = errno;
        TemporaryFiles::forget(m_slot);
        m_slot = -1;
        fail("cannot move " + source + " to " + m_folderPath, error);
        errno = error;
        return false;
    }
    m_name = name;
    m_path = path;
    return true;
}

void TemporaryFile::giveBack(const std::string& source)
{
    if (!m_name.empty() && ::renameat(m_folderFd, m_name.c_str(), AT_FDCWD, source.c_str()) == 0) {
        TemporaryFiles::forget(m_slot);
        m_slot = -1;
        m_name.clear();
    }
}

TemporaryFile::Placed TemporaryFile::placeNew(const std::string& name)
{
    if (m_name.empty()) {
        m_error = "nothing written to place at " + name;
        return Placed::Failed;
    }
    int result = ::renameat2(m_folderFd, m_name.c_str(), m_folderFd, name.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the flag: a hard link is made only where no name is.
        result = ::linkat(m_folderFd, m_name.c_str(), m_folderFd, name.c_str(), 0);
        if (result == 0)
            ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }
    if (result != 0) {
        if (errno == EEXIST)
            return Placed::Exists;
        fail("cannot name the file " + m_folderPath + "/" + name, errno);
        return Placed::Failed;
    }
    TemporaryFiles::forget(m_slot);
    m_slot = -1;
    m_name.clear();
    return Placed::Ok;
}

TemporaryFile::Placed TemporaryFile::placeOver(const std::string& name)
{
    if (m_name.empty()) {
        m_error = "nothing written to place at " + name;
        return Placed::Failed;
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        struct stat before {};
        if (::fstatat(m_folderFd, name.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                fail("cannot look at " + m_folderPath + "/" + name, errno);
                return Placed::Failed;
            }
            const Placed placed = placeNew(name);
            if (placed != Placed::Exists)
                return placed;
            continue; // made meanwhile: look again
        }
        if (!S_ISREG(before.st_mode) || (before.st_mode & 0222) == 0)
            return Placed::Exists;
        (void)::fchmodat(m_folderFd, m_name.c_str(), before.st_mode & 07777, 0);
        if (::renameat2(m_folderFd, m_name.c_str(), m_folderFd, name.c_str(), RENAME_EXCHANGE) != 0) {
            if (errno != EINVAL && errno != ENOSYS) {
                fail("cannot replace " + m_folderPath + "/" + name, errno);
                return Placed::Failed;
            }
            // A file system without the exchange: the check above has to do.
            if (::renameat(m_folderFd, m_name.c_str(), m_folderFd, name.c_str()) != 0) {
                fail("cannot replace " + m_folderPath + "/" + name, errno);
                return Placed::Failed;
            }
        } else {
            // The old entry now has the temporary name: it goes only when it is what was checked.
            struct stat after {};
            const bool same = ::fstatat(m_folderFd, m_name.c_str(), &after, AT_SYMLINK_NOFOLLOW) == 0 &&
                              after.st_dev == before.st_dev && after.st_ino == before.st_ino && S_ISREG(after.st_mode);
            if (!same) {
                (void)::renameat2(m_folderFd, m_name.c_str(), m_folderFd, name.c_str(), RENAME_EXCHANGE);
                continue;
            }
            ::unlinkat(m_folderFd, m_name.c_str(), 0);
        }
        TemporaryFiles::forget(m_slot);
        m_slot = -1;
        m_name.clear();
        return Placed::Ok;
    }
    return Placed::Exists;
}

void TemporaryFile::syncFolder()
{
    if (m_folderFd >= 0)
        ::fsync(m_folderFd);
}

} // namespace z2e
