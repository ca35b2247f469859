#include "core/fragment_set.h"

#include <gtest/gtest.h>

#include <string>

namespace z2e {
namespace {

TEST(FragmentSet, FindsEveryFragmentWhereverItStands)
{
    const FragmentSet set{"WARNING:", "WARNING: Firmware", "ERROR:", "Info", "PCI"};
    EXPECT_EQ(set.found("WARNING: Firmware old"), 0x3u); // both from the same first byte
    EXPECT_EQ(set.found("xERROR:"), 0x4u);
    EXPECT_EQ(set.found("PCIInfo"), 0x18u);
    EXPECT_EQ(set.found("EthInfo"), 0x8u);
    EXPECT_EQ(set.found("BusNoPCI"), 0x10u);
    // Cut off by the end of the text, or only in another case: not there.
    EXPECT_EQ(set.found("Status:   ERROR"), 0u);
    EXPECT_EQ(set.found("Warning: error:"), 0u);
    EXPECT_EQ(set.found(""), 0u);
    EXPECT_TRUE(set.foundAny("Slot 2:   QA  [WARNING: Firmware old.]"));
    EXPECT_FALSE(set.foundAny("PC info"));

    // A one-byte fragment has no second byte to check, also at the very end.
    const FragmentSet withOneByte{";", ";x", "E"};
    EXPECT_EQ(withOneByte.found("a;"), 0x1u);
    EXPECT_EQ(withOneByte.found(";x"), 0x3u);
    EXPECT_EQ(withOneByte.found("xE"), 0x4u);
}

TEST(FragmentSet, SkipsEmptyFragmentsAndThoseBeyondItsSize)
{
    const FragmentSet withEmpty{"", "ab"};
    EXPECT_EQ(withEmpty.found("xab"), 0x1u);

    std::vector<std::string> names;
    for (std::size_t i = 0; i <= FragmentSet::kMaxFragments; ++i)
        names.push_back("f" + std::to_string(i) + ";");
    const FragmentSet full{names[0],  names[1],  names[2],  names[3],  names[4],  names[5],  names[6],
                           names[7],  names[8],  names[9],  names[10], names[11], names[12], names[13],
                           names[14], names[15], names[16], names[17], names[18], names[19], names[20],
                           names[21], names[22], names[23], names[24], names[25], names[26], names[27],
                           names[28], names[29], names[30], names[31], names[32]};
    EXPECT_EQ(full.found("f31;"), 0x80000000u);
    EXPECT_EQ(full.found("f0;f31;"), 0x80000001u);
    EXPECT_FALSE(full.foundAny("f32;"));
}

} // namespace
} // namespace z2e
