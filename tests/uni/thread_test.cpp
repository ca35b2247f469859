#include "uni/thread.h"

#include "support/log_capture.h"

#include "uni/log.h"

#include <boost/thread/thread.hpp>
#include <gtest/gtest.h>

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// The message part of each line the thread channel wrote.
std::vector<std::string> messages(const z2e::test::LogCapture& log)
{
    std::vector<std::string> out;
    for (const std::string& line : log.lines())
        out.push_back(line.substr(line.find("[UNI_THREAD] ") + 13));
    return out;
}

long at(const std::vector<std::string>& lines, const std::string& text)
{
    const auto it = std::find(lines.begin(), lines.end(), text);
    return it == lines.end() ? -1 : static_cast<long>(it - lines.begin());
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Runs until its stop hook fires.
class HookedThread : public uni::Thread {
public:
    HookedThread() : uni::Thread("AcquisitionWorker") {} // longer than the OS allows
    ~HookedThread() override { stop(); }
    std::atomic<int> runs{0};
    std::string osName;

protected:
    void run() override
    {
        char buffer[32] = {};
        pthread_getname_np(pthread_self(), buffer, sizeof buffer);
        osName = buffer;
        ++runs;
        while (!m_hooked.exchange(false))
            sleepMs(1);
    }
    void onStop() override { m_hooked = true; }

private:
    std::atomic<bool> m_hooked{false};
};

TEST(Thread, LifeCycleWithRestartAndLogLines)
{
    const z2e::test::LogCapture log("UNI_THREAD");
    ASSERT_TRUE(log.ok());
    {
        HookedThread t;
        EXPECT_EQ(t.stop(), 0); // never started
        ASSERT_EQ(t.start(), 0);
        EXPECT_EQ(t.state(), uni::Thread::Running); // start() returns only once the body runs
        EXPECT_EQ(t.start(), -7);
        EXPECT_EQ(t.stop(), 0);
        EXPECT_EQ(t.state(), uni::Thread::Idle);
        EXPECT_EQ(t.osName, "AcquisitionWork");
        EXPECT_EQ(t.stop(), 0); // the joined thread object is joined again, harmlessly
        ASSERT_EQ(t.start(), 0);
        EXPECT_EQ(t.stop(), 0);
        EXPECT_EQ(t.runs.load(), 2);
    }
    const auto lines = messages(log);
    const std::string n = "AcquisitionWorker";
    const long expectedOrder[] = {
        at(lines, "Starting thread '" + n + "'..."),
        at(lines, "Thread '" + n + "' already running"),
        at(lines, "Stopping and joining thread '" + n),
        at(lines, "Stopped thread '" + n),
        at(lines, "Joining thread '" + n),
        at(lines, "Cleanup of thread '" + n + " ({Not-any-thread})"), // before the restart
    };
    EXPECT_GE(expectedOrder[0], 0);
    for (std::size_t i = 1; i < std::size(expectedOrder); ++i)
        EXPECT_GT(expectedOrder[i], expectedOrder[i - 1]) << "line " << i;
    const long executing = at(lines, "Thread '" + n + "': starting execution...");
    EXPECT_GT(executing, expectedOrder[0]);
    EXPECT_GT(at(lines, "Thread '" + n + "': execution ended"), executing);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Stopped thread '" + n), 2);
}

// Ignores the stop request for a while, as a body stuck in a blocking call would.
class StubbornThread : public uni::Thread {
public:
    StubbornThread() : uni::Thread("Stubborn", false) {}
    ~StubbornThread() override { stop(); }
    std::atomic<bool> finished{false};
    std::atomic<std::uint64_t> osId{0};

protected:
    void run() override
    {
        osId = uni::log::currentThreadId();
        while (!stopRequested())
            sleepMs(1);
        sleepMs(150);
        finished = true;
    }
};

TEST(Thread, StopKeepsWaitingForBodyThatIgnoresIt)
{
    const z2e::test::LogCapture log("UNI_THREAD");
    ASSERT_TRUE(log.ok());
    StubbornThread t;
    ASSERT_EQ(t.start(), 0);
    EXPECT_EQ(t.stop(), 0);
    EXPECT_TRUE(t.finished.load());

    const auto lines = messages(log);
    const std::string waiting = "Waiting for terminating thread 'Stubborn' (" + std::to_string(t.osId) + ")...";
    EXPECT_GE(std::count(lines.begin(), lines.end(), waiting), 3);
    EXPECT_LT(at(lines, waiting), at(lines, "Stopped thread 'Stubborn"));
    EXPECT_EQ(at(lines, "Thread 'Stubborn': starting execution..."), -1); // switched off
}

std::atomic<bool> g_entered{false}, g_interrupted{false}, g_returned{false};

// Leaves everything to ~Thread, as a careless subclass would. Only a body that polls the stop
// request ends by itself; the other needs the interrupt.
class UnstoppedThread : public uni::Thread {
public:
    explicit UnstoppedThread(bool pollsStop) : uni::Thread("Unstopped"), m_pollsStop(pollsStop) {}

protected:
    void run() override
    {
        const bool polls = m_pollsStop;
        g_entered = true;
        try {
            while (!(polls && stopRequested()))
                boost::this_thread::sleep_for(boost::chrono::milliseconds(5));
            g_returned = true;
        } catch (const boost::thread_interrupted&) {
            g_interrupted = true;
            throw;
        }
    }

private:
    const bool m_pollsStop;
};

TEST(Thread, DestructorCleanupEndsForgottenBody)
{
    const z2e::test::LogCapture log("UNI_THREAD");
    ASSERT_TRUE(log.ok());
    for (bool polls : {true, false}) {
        g_entered = g_interrupted = g_returned = false;
        auto t = std::make_unique<UnstoppedThread>(polls);
        ASSERT_EQ(t->start(), 0);
        while (!g_entered) // without stop() in the subclass, run() must be entered before it dies
            sleepMs(1);
        t.reset();
        EXPECT_EQ(g_returned.load(), polls);
        EXPECT_EQ(g_interrupted.load(), !polls);
    }
    const auto lines = messages(log);
    const auto cleanups = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("Cleanup of thread 'Unstopped (", 0) == 0 && l.find("{Not-any-thread}") == std::string::npos;
    });
    EXPECT_EQ(cleanups, 2);
    EXPECT_GE(at(lines, "Thread 'Unstopped' interrupted"), 0);
}

} // namespace
