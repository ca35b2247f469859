// The item models and the painter need a QApplication; tests run without a display.
#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

// Qt 5's offscreen platform never frees its screen objects; that leak is Qt's, not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n";
}

namespace {

// A window test that has not ended long after any test should writes every thread's stack to
// the test log before ctest's time-out kills it: a rare hang is otherwise silent.
void watchForHang(int seconds)
{
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const std::string command = "gdb -batch -p " + std::to_string(::getpid()) +
                                    " -ex 'thread apply all bt' 1>&2 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            std::fputs("hang watch: gdb could not attach\n", stderr);
    }).detach();
}

} // namespace

int main(int argc, char** argv)
{
    watchForHang(90);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Windows start a network client: it, and every program a test starts, stays on loopback.
    qputenv("QORINET_ALLOWED_NETWORKS", "127.0.0.0/8");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
