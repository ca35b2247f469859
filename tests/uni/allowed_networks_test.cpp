#include "support/site.h"

#include "uni/allowed_networks.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using uni::AllowedNetworks;
using uni::ipv4::IpAddressPair;

std::uint32_t addr(const char* text)
{
    return uni::ipv4::parseAddress(text).value();
}

TEST(AllowedNetworks, ParsesCidrListsWithSpacesAndMasksHostBits)
{
    const auto allowed = AllowedNetworks::parse(" 127.0.0.0/8 ,\t10.1.2.3/16,, 192.168.7.7 ");
    EXPECT_TRUE(allowed.rejectedEntries().empty());
    EXPECT_EQ(allowed.toString(), "127.0.0.0/8,10.1.0.0/16,192.168.7.7/32");
    EXPECT_TRUE(allowed.isAllowed("127.200.1.1"));
    EXPECT_TRUE(allowed.isAllowed("10.1.255.255"));
    EXPECT_TRUE(allowed.isAllowed("192.168.7.7"));
    EXPECT_FALSE(allowed.isAllowed("10.2.0.1"));
    EXPECT_FALSE(allowed.isAllowed("192.168.7.8"));
    EXPECT_FALSE(allowed.isAllowed("128.0.0.1"));

    const auto host = AllowedNetworks::parse("10.0.0.5/32");
    EXPECT_TRUE(host.isAllowed("10.0.0.5"));
    EXPECT_FALSE(host.isAllowed("10.0.0.4"));

    EXPECT_TRUE(AllowedNetworks::parse("0.0.0.0/0").isAllowed("203.0.113.9"));
}

TEST(AllowedNetworks, SkipsBadEntriesAndFailsClosedWhenNoneIsValid)
{
    const auto mixed = AllowedNetworks::parse("junk, 10.0.0.0/33 ,127.0.0.0/8,10.0.0.0/-1,10.0.0.0/,"
                                              "10.0.0.0/8x,10.0.0.0/8/8,10.0.0/8,10.0.0.0/008");
    EXPECT_EQ(mixed.toString(), "127.0.0.0/8");
    EXPECT_EQ(mixed.rejectedEntries(),
              (std::vector<std::string>{"junk", "10.0.0.0/33", "10.0.0.0/-1", "10.0.0.0/", "10.0.0.0/8x",
                                        "10.0.0.0/8/8", "10.0.0/8", "10.0.0.0/008"}));
    EXPECT_FALSE(mixed.isAllowed("10.0.0.1"));

    for (const char* text : {"", "   ", ",,", "junk", "10.0.0.0/40, nonsense"}) {
        const auto none = AllowedNetworks::parse(text);
        EXPECT_TRUE(none.allowsNothing()) << '"' << text << '"';
        EXPECT_FALSE(none.isAllowed("127.0.0.1")) << '"' << text << '"';
        EXPECT_EQ(none.toString(), "none");
    }
}

TEST(AllowedNetworks, FilterKeepsAllowedPairsInOrder)
{
    const std::uint32_t mask = addr("255.255.255.0");
    const uni::ipv4::IpAddressPairList pairs{IpAddressPair("10.1.0.1", mask), IpAddressPair("192.168.1.1", mask),
                                             IpAddressPair("bogus", mask), IpAddressPair("127.0.0.1", mask)};
    EXPECT_EQ(AllowedNetworks::parse("127.0.0.0/8,10.0.0.0/8").filter(pairs),
              (uni::ipv4::IpAddressPairList{pairs[0], pairs[3]}));
    EXPECT_EQ(AllowedNetworks().filter(pairs).size(), 3u); // unparsable text never passes
    EXPECT_TRUE(AllowedNetworks().isAllowed(addr("8.8.8.8")));
}

TEST(AllowedNetworks, EnvironmentUnsetMeansUnrestrictedAndEmptyMeansNothing)
{
    const char* name = AllowedNetworks::kEnvironmentVariable;
    {
        z2e::test::EnvOverride unset(name, std::nullopt);
        EXPECT_FALSE(AllowedNetworks::fromEnvironment().restricted());
    }
    z2e::test::EnvOverride empty(name, std::string());
    EXPECT_TRUE(AllowedNetworks::fromEnvironment().allowsNothing());
    z2e::test::EnvOverride loopback(name, std::string("127.0.0.0/8"));
    EXPECT_TRUE(AllowedNetworks::fromEnvironment().isAllowed("127.0.0.1"));
    EXPECT_FALSE(AllowedNetworks::fromEnvironment().isAllowed("10.0.0.1"));
}

} // namespace
