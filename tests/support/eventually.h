#pragma once

#include <chrono>
#include <functional>

namespace z2e::test {

/// Polls `condition` every few milliseconds until it holds (true) or `timeout` passed (false).
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

} // namespace z2e::test
