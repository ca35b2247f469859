#include "uni/thread.h"

#include "uni/log.h"
#include "uni/osal.h"

#include <boost/chrono.hpp>
#include <boost/thread/thread.hpp>

#include <pthread.h>

#include <condition_variable>
#include <exception>
#include <mutex>

namespace uni {

namespace {

constexpr const char* kChannel = "UNI_THREAD";
constexpr const char* kNoThread = "{Not-any-thread}";
constexpr int kEBusy = -(osal::ERR_UNI_OSAL_EBUSY - osal::ERR_UNI_OSAL_BASE);
constexpr int kError = -(osal::ERR_UNI_OSAL_ERROR - osal::ERR_UNI_OSAL_BASE);
constexpr std::size_t kMaxOsNameLength = 15; // the kernel's limit without the terminator

// The Thread whose body runs on the calling thread; lets stop() and cleanup() detect
// a call from run() itself, which must not join.
thread_local const Thread* tl_current = nullptr;

} // namespace

struct Thread::Impl {
    // Serialises start, stop and cleanup; they all touch `thread`.
    std::mutex lifeMutex;
    std::unique_ptr<boost::thread> thread;
    std::atomic<std::uint64_t> osThreadId{0};

    // Start semaphore: the body signals once it runs.
    std::mutex startMutex;
    std::condition_variable startSignal;
    bool started = false;
};

Thread::Thread(std::string name, bool logStartEnd)
    : m_name(std::move(name)), m_logStartEnd(logStartEnd), m_impl(std::make_unique<Impl>())
{
}

Thread::~Thread()
{
    // Only the base is left here, so no virtual may be called: cleanup() waits, then interrupts.
    std::lock_guard<std::mutex> life(m_impl->lifeMutex);
    if (m_impl->thread)
        cleanup();
}

int Thread::start()
{
    // Checked before taking the lock too, so that run() calling start() cannot deadlock.
    int expected = Idle;
    if (m_state.load() != Idle) {
        UNI_LOG(kChannel, log::warning) << "Thread '" << m_name << "' already running";
        return kEBusy;
    }
    std::lock_guard<std::mutex> life(m_impl->lifeMutex);
    if (!m_state.compare_exchange_strong(expected, Starting)) {
        UNI_LOG(kChannel, log::warning) << "Thread '" << m_name << "' already running";
        return kEBusy;
    }
    if (m_impl->thread)
        cleanup();
    m_state.store(Starting);
    UNI_LOG(kChannel, log::info) << "Starting thread '" << m_name << "'...";

    {
        std::lock_guard<std::mutex> lock(m_impl->startMutex);
        m_impl->started = false;
    }
    try {
        m_impl->thread = std::make_unique<boost::thread>([this] { entry(); });
    } catch (const std::exception& e) {
        m_state.store(Idle);
        UNI_LOG(kChannel, log::error) << "Thread '" << m_name << "' cannot be created: " << e.what();
        return kError;
    }
    std::unique_lock<std::mutex> lock(m_impl->startMutex);
    m_impl->startSignal.wait(lock, [this] { return m_impl->started; });
    return 0;
}

void Thread::entry()
{
    tl_current = this;
    // A stop() that came in while starting wins over the move to running.
    int expected = Starting;
    m_state.compare_exchange_strong(expected, Running);
    m_impl->osThreadId.store(log::currentThreadId());
    pthread_setname_np(pthread_self(), m_name.substr(0, kMaxOsNameLength).c_str());
    {
        std::lock_guard<std::mutex> lock(m_impl->startMutex);
        m_impl->started = true;
    }
    m_impl->startSignal.notify_all();

    if (m_logStartEnd) {
        UNI_LOG(kChannel, log::info) << "Thread '" << m_name << "': starting execution...";
    }
    try {
        run();
    } catch (const boost::thread_interrupted&) {
        UNI_LOG(kChannel, log::warning) << "Thread '" << m_name << "' interrupted";
    } catch (const std::exception& e) {
        UNI_LOG(kChannel, log::error) << "Thread '" << m_name << "' ended by exception: " << e.what();
    } catch (...) {
        UNI_LOG(kChannel, log::error) << "Thread '" << m_name << "' ended by unknown exception";
    }
    if (m_logStartEnd) {
        UNI_LOG(kChannel, log::info) << "Thread '" << m_name << "': execution ended";
    }
}

int Thread::stop()
{
    if (tl_current == this) {
        // A body cannot join itself; it ends by returning from run().
        UNI_LOG(kChannel, log::warning) << "Thread '" << m_name << "' cannot stop itself";
        return kEBusy;
    }

    std::lock_guard<std::mutex> life(m_impl->lifeMutex);
    int state = m_state.load();
    if (state == Idle) {
        if (!m_impl->thread)
            return 0;
        UNI_LOG(kChannel, log::info) << "Joining thread '" << m_name;
        if (m_impl->thread->joinable())
            m_impl->thread->join();
        return 0;
    }
    if ((state == Starting || state == Running) && m_state.compare_exchange_strong(state, Stopping)) {
        UNI_LOG(kChannel, log::info) << "Stopping and joining thread '" << m_name;
        onStop();
        boost::thread* t = m_impl->thread.get();
        boost::chrono::milliseconds wait(1);
        while (t && t->joinable() && !t->try_join_for(wait)) {
            UNI_LOG(kChannel, log::info) << "Waiting for terminating thread '" << m_name << "' (" << threadIdText()
                                         << ")...";
            wait = boost::chrono::milliseconds(10);
        }
        m_impl->osThreadId.store(0);
        m_state.store(Idle);
        UNI_LOG(kChannel, log::info) << "Stopped thread '" << m_name;
        return 0;
    }
    UNI_LOG(kChannel, log::warning) << "Dead thread '" << m_name << "' cannot be stopped";
    return kEBusy;
}

void Thread::cleanup()
{
    UNI_LOG(kChannel, log::info) << "Cleanup of thread '" << m_name << " (" << threadIdText() << ")";
    m_state.store(Stopping);
    boost::thread& t = *m_impl->thread;
    if (tl_current == this) {
        t.detach();
    } else if (t.joinable()) {
        const boost::chrono::milliseconds limit(500);
        if (!t.try_join_for(limit)) {
            t.interrupt();
            if (!t.try_join_for(limit)) {
                UNI_LOG(kChannel, log::error) << "Thread '" << m_name << "' does not end; detached";
                t.detach();
            }
        }
    }
    m_impl->thread.reset();
    m_impl->osThreadId.store(0);
}

std::string Thread::threadIdText() const
{
    const std::uint64_t id = m_impl->osThreadId.load();
    if (!m_impl->thread || !m_impl->thread->joinable() || id == 0)
        return kNoThread;
    return std::to_string(id);
}

} // namespace uni
