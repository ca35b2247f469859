#pragma once
// Exclusive use of the (stand-in) physical hardware across processes: an advisory lock file.

#include <string>

namespace zmpxi_sim {

class HardwareLock {
public:
    HardwareLock() = default;
    ~HardwareLock();
    HardwareLock(const HardwareLock&) = delete;
    HardwareLock& operator=(const HardwareLock&) = delete;

    enum class Outcome { Acquired, HeldElsewhere, Unavailable };

    /// Takes the lock file "hardware.lock" in `dir` without waiting.
    /// Unavailable: the file cannot be made; the caller decides whether to go on.
    Outcome acquire(const std::string& dir);
    /// Gives the lock back; safe when not held.
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace zmpxi_sim
