#pragma once
// What a board tool tells its caller while it runs: a text, the fraction done (0..1) and how
// long the current step is expected to take in seconds (0 when unknown).

#include <functional>
#include <string>

namespace z2e {

using ToolProgress = std::function<void(const std::string& text, double fraction, double expectedSeconds)>;

} // namespace z2e
