#include "support/hang_watch.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace z2e::test {

HangWatch::HangWatch(int seconds)
{
    m_thread = std::thread([this, seconds] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_ended; }))
            return;
        lock.unlock();
        const std::string command =
            "gdb -batch -p " + std::to_string(::getpid()) + " -ex 'thread apply all bt' 1>&2 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            std::fputs("hang watch: gdb could not attach\n", stderr);
    });
}

HangWatch::~HangWatch()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace z2e::test
