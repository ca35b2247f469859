// Throughput of uni::EventQueue with one producer thread and one reader, 4-byte events, against
// a plain mutex/condition/deque-of-vectors queue measured in the same run.

#include "uni/event_queue.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

class DequeQueue {
public:
    void push(std::uint32_t code, const void* data, std::uint32_t length)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.emplace_back(code, std::vector<std::uint8_t>(bytes, bytes + length));
        }
        m_ready.notify_one();
    }
    void pop(std::uint32_t& code, std::vector<std::uint8_t>& data)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_events.empty(); });
        code = m_events.front().first;
        data = std::move(m_events.front().second);
        m_events.pop_front();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::pair<std::uint32_t, std::vector<std::uint8_t>>> m_events;
};

// The producer pushes exactly as many events as the timed loop pops.
template <typename Queue>
void runPair(benchmark::State& state, Queue& queue)
{
    const auto total = static_cast<std::uint32_t>(state.max_iterations);
    std::thread producer([&queue, total] {
        for (std::uint32_t i = 0; i < total; ++i)
            queue.push(i & 0xFF, &i, sizeof i);
    });
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    data.reserve(16);
    for (auto _ : state) {
        queue.pop(code, data);
        benchmark::DoNotOptimize(data.data());
    }
    producer.join();
    state.SetItemsProcessed(state.iterations());
}

void BM_EventQueue_OneProducer(benchmark::State& state)
{
    uni::EventQueue queue;
    runPair(state, queue);
}

void BM_DequeQueue_OneProducer(benchmark::State& state)
{
    DequeQueue queue;
    runPair(state, queue);
}

BENCHMARK(BM_EventQueue_OneProducer)->UseRealTime();
BENCHMARK(BM_DequeQueue_OneProducer)->UseRealTime();

} // namespace
