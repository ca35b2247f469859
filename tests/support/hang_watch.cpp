#include "support/hang_watch.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

namespace z2e::test {

void watchForHang(int seconds)
{
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const std::string command =
            "gdb -batch -p " + std::to_string(::getpid()) + " -ex 'thread apply all bt' 1>&2 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            std::fputs("hang watch: gdb could not attach\n", stderr);
    }).detach();
}

} // namespace z2e::test
