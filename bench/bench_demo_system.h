#pragma once
// The full demo system the tree benchmarks work on: 16 enclosures of 18 slots, each slot
// holding a 32-channel board with its whole description (72,849 rows when shown).

#include "core/root_node.h"

#include <memory>

namespace bench_demo {

constexpr int kEnclosures = 16;
constexpr int kSlots = 18;
constexpr int kChannels = 32;

/// Models and icons need an application object; benchmark_main gives us no main of our own.
void ensureApplication();

/// Parses the whole demo system from its description texts into a fresh root.
std::unique_ptr<z2e::RootNode> parseDemoSystem();

} // namespace bench_demo
