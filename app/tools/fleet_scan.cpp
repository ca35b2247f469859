#include "tools/fleet_scan.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace z2e {

void FleetScan::each(std::size_t count, unsigned parallel, const std::function<void(std::size_t index)>& work,
                     const std::atomic<bool>* cancel)
{
    std::atomic<std::size_t> next{0};
    const auto worker = [&]() {
        for (;;) {
            if (cancel && cancel->load())
                return;
            const std::size_t index = next.fetch_add(1);
            if (index >= count)
                return;
            work(index);
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::max(parallel, 1u), count);
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool)
        thread.join();
}

void FleetScan::run(const std::vector<FleetSource>& sources, unsigned parallel, const Done& done,
                    const std::atomic<bool>* cancel)
{
    std::mutex reporting;
    each(
        sources.size(), parallel,
        [&](std::size_t index) {
            std::vector<FleetBoard> boards;
            const std::int32_t result = sources[index].read(boards);
            const std::lock_guard<std::mutex> lock(reporting);
            done(index, result, boards);
        },
        cancel);
}

} // namespace z2e
