#pragma once
// Round trips over loopback compared in one run: the caller and its server thread on one
// processor (no wake-up crosses processors, so both paths wait alike), and medians of single
// trips (a trip the machine's other work delays says nothing of either path).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <pthread.h>
#include <sched.h>
#include <string>
#include <thread>
#include <vector>

namespace bench {

/// Keeps the calling thread, and the threads it starts meanwhile, on processor `cpu` while it
/// lives (a negative `cpu`: where the scheduler likes).
class CallerPinned {
public:
    explicit CallerPinned(int cpu)
    {
        if (cpu < 0)
            return;
        m_restore = ::pthread_getaffinity_np(::pthread_self(), sizeof m_callerSet, &m_callerSet) == 0;
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(cpu, &set);
        ::pthread_setaffinity_np(::pthread_self(), sizeof set, &set);
    }
    ~CallerPinned()
    {
        if (m_restore)
            ::pthread_setaffinity_np(::pthread_self(), sizeof m_callerSet, &m_callerSet);
    }
    CallerPinned(const CallerPinned&) = delete;
    CallerPinned& operator=(const CallerPinned&) = delete;

private:
    cpu_set_t m_callerSet{};
    bool m_restore = false;
};

inline int currentProcessor()
{
    const int cpu = ::sched_getcpu();
    return cpu < 0 ? 0 : cpu;
}

/// Runs the calling thread and `server` on the caller's processor while it lives.
class SameProcessor {
public:
    explicit SameProcessor(std::thread& server) : SameProcessor(server, currentProcessor()) {}

private:
    SameProcessor(std::thread& server, int cpu) : m_caller(cpu)
    {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(cpu, &set);
        ::pthread_setaffinity_np(server.native_handle(), sizeof set, &set);
    }

    CallerPinned m_caller;
};

inline double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

/// After a warm-up, times one `trip` and one `bareTrip` per iteration in alternating order, and
/// reports the medians as "<name>_us" and "bare_us" and their ratio as `ratioName`.
template <class Trip, class BareTrip>
void compareMedianTrips(benchmark::State& state, const char* name, const char* ratioName, Trip&& trip,
                        BareTrip&& bareTrip)
{
    using Clock = std::chrono::steady_clock;
    bool ok = true;
    for (int i = 0; ok && i < 2000; ++i)
        ok = trip() && bareTrip();
    std::vector<double> times, bareTimes;
    bool tripFirst = false;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool firstOk = ok && (tripFirst ? trip() : bareTrip());
        const auto t1 = Clock::now();
        const bool secondOk = firstOk && (tripFirst ? bareTrip() : trip());
        const auto t2 = Clock::now();
        if (!secondOk) {
            state.SkipWithError("round trip failed");
            return;
        }
        times.push_back(std::chrono::duration<double, std::micro>(tripFirst ? t1 - t0 : t2 - t1).count());
        bareTimes.push_back(std::chrono::duration<double, std::micro>(tripFirst ? t2 - t1 : t1 - t0).count());
        tripFirst = !tripFirst;
    }
    const double bareMedian = medianOf(bareTimes);
    if (bareMedian <= 0)
        return;
    const double median = medianOf(times);
    state.counters["bare_us"] = bareMedian;
    state.counters[std::string(name) + "_us"] = median;
    state.counters[ratioName] = median / bareMedian;
}

} // namespace bench
