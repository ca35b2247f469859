#pragma once
// A broken property of a fuzz target ends the run, so that the input is kept as a crash.

#include <cstdlib>

namespace fuzz {

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace fuzz
