#include "tools/helper_thread.h"

#include <pthread.h>
#include <sched.h>
#include <system_error>
#include <utility>

namespace z2e {

HelperThread::~HelperThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool HelperThread::start(std::function<void()> work, Placement placement)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const bool known = placement == Placement::OtherProcessor &&
                       ::pthread_getaffinity_np(::pthread_self(), sizeof allowed, &allowed) == 0;
    try {
        m_thread = std::thread([this, work = std::move(work), placement, known, allowed] {
            if (placement == Placement::IdlePriority) {
                const sched_param idle{};
                ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idle);
            }
            if (known)
                ::pthread_setaffinity_np(::pthread_self(), sizeof allowed, &allowed);
            try {
                work();
            } catch (...) {
                m_failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    cpu_set_t elsewhere = allowed;
    const int here = ::sched_getcpu();
    if (known && here >= 0 && here < CPU_SETSIZE)
        CPU_CLR(here, &elsewhere);
    if (known && CPU_COUNT(&elsewhere) > 0)
        ::pthread_setaffinity_np(m_thread.native_handle(), sizeof elsewhere, &elsewhere);
    return true;
}

void HelperThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

} // namespace z2e
