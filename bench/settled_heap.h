#pragma once
// Freed small blocks wait in the allocator's fast lists until a larger request gathers them;
// whichever timed run makes that request pays for the frees of the run before it. Called
// before each timed run, so that each starts from the same heap.

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace bench {

inline void settleHeap()
{
    void* large = std::malloc(64 * 1024);
    benchmark::DoNotOptimize(large);
    std::free(large);
}

} // namespace bench
