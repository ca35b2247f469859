#pragma once
// One program at a time changes a system (this computer's driver with its simulated state and
// configuration, or a network node by its address): an advisory lock (flock) on a file per
// system in the program's lock folder. The file holds the holder's words ("zamo2ctl pid 4711 is
// updating firmware") for whoever has to wait. The kernel releases the lock of a process that
// died, so a stale file never blocks. A link or other non-file planted at the lock's name is
// refused, never followed.
//
// Two locks of the same system exclude each other also within one process (the window's tools
// run one after the other). Not thread-safe: one object per user.

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

namespace z2e {

class SystemLock {
public:
    enum class Outcome { Held, Busy, Failed };

    /// `folder` holds the lock files (made when missing); `system` is localSystem() or
    /// nodeSystem(address).
    SystemLock(std::string folder, std::string system);
    /// Releases the lock.
    ~SystemLock();
    SystemLock(const SystemLock&) = delete;
    SystemLock& operator=(const SystemLock&) = delete;

    /// "<program's data folder>/locks".
    static std::string defaultFolder();
    static std::string localSystem() { return "local"; }
    static std::string nodeSystem(const std::string& address) { return "node-" + address; }

    /// One attempt without waiting. Held: the lock is ours and says "`program` pid N is
    /// `activity`"; Busy: holderText() names who has it; Failed: error() says why.
    Outcome tryAcquire(const std::string& program, const std::string& activity);
    /// Tries until the lock is ours, `deadline` passes or `cancelled` is raised (may be null).
    /// `busy` (may be empty) hears busyText() each time the holder's words change.
    Outcome acquire(const std::string& program, const std::string& activity,
                    std::chrono::steady_clock::time_point deadline, const std::function<void(const std::string&)>& busy,
                    const std::atomic<bool>* cancelled = nullptr);
    void release();
    bool held() const { return m_held; }

    /// What the lock file says of its holder, "" when it says nothing readable.
    std::string holderText() const;
    /// "busy: <holder's words>", or "busy: another program is changing <system>".
    std::string busyText() const;
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_path; }

private:
    bool open();

    std::string m_folder;
    std::string m_system;
    std::string m_path;
    int m_fd = -1;
    bool m_held = false;
    std::string m_error;
};

} // namespace z2e
