#include "tools/result_judging.h"

#include "tools/test_verdict.h"

#include <pthread.h>
#include <sched.h>
#include <system_error>
#include <utility>

namespace z2e {

ResultJudging::~ResultJudging()
{
    if (m_thread.joinable())
        m_thread.join();
}

void ResultJudging::start()
{
    if (m_waiting.size() < kLeastForThread)
        return;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const bool known = ::pthread_getaffinity_np(::pthread_self(), sizeof allowed, &allowed) == 0;
    try {
        m_thread = std::thread([this, known, allowed] {
            if (known)
                ::pthread_setaffinity_np(::pthread_self(), sizeof allowed, &allowed);
            try {
                judge();
            } catch (...) {
                m_failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // judged by the caller in finish()
        return;
    }
    // A new thread waits on the caller's processor until the caller stops, which it does
    // only once it has judged most rows itself: this one starts on another.
    cpu_set_t elsewhere = allowed;
    const int here = ::sched_getcpu();
    if (known && here >= 0 && here < CPU_SETSIZE)
        CPU_CLR(here, &elsewhere);
    if (known && CPU_COUNT(&elsewhere) > 0)
        ::pthread_setaffinity_np(m_thread.native_handle(), sizeof elsewhere, &elsewhere);
}

void ResultJudging::finish()
{
    judge();
    if (m_thread.joinable())
        m_thread.join();
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void ResultJudging::judge()
{
    for (std::size_t i = m_next++; i < m_waiting.size(); i = m_next++) {
        BoardTestRow& row = m_rows[m_waiting[i]];
        TestVerdict::read(row.document, row.status, row.details);
    }
}

} // namespace z2e
