#include "hardware_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "file_util.h"

namespace zmpxi_sim {

HardwareLock::~HardwareLock()
{
    release();
}

HardwareLock::Outcome HardwareLock::acquire(const std::string& dir)
{
    if (m_fd >= 0)
        return Outcome::Acquired;
    if (!file_util::makeDirectories(dir))
        return Outcome::Unavailable;
    const std::string path = file_util::join(dir, "hardware.lock");
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return Outcome::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
    }
    m_fd = fd;
    return Outcome::Acquired;
}

void HardwareLock::release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace zmpxi_sim
