#pragma once

namespace z2e::test {

/// After `seconds`, writes every thread's stack to standard error (gdb attached to this
/// process), so that a hung test shows where it hangs before ctest's time-out kills it.
void watchForHang(int seconds = 90);

} // namespace z2e::test
