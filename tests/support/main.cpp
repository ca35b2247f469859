// The main of every test program but the window tests', which call the same watch.
#include "support/hang_watch.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Below the per-test ctest time-out, so the stacks land before the kill.
    const z2e::test::HangWatch watch(90);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
