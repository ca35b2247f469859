#pragma once
// Something a benchmark needs running (a simulator, a client), made before each repetition and
// destroyed after it, so that it loads no benchmark that runs later. Register with
// ->Setup(PerRepetition<T>::start)->Teardown(PerRepetition<T>::stop).

#include <benchmark/benchmark.h>

#include <memory>

namespace bench {

template <class T>
struct PerRepetition {
    static std::unique_ptr<T>& current()
    {
        static std::unique_ptr<T> held;
        return held;
    }
    static void start(const benchmark::State&) { current() = std::make_unique<T>(); }
    static void stop(const benchmark::State&) { current().reset(); }
};

} // namespace bench
