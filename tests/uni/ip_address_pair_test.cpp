#include "uni/ip_address_pair.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace uni::ipv4;

std::uint32_t addr(const char* text)
{
    const auto value = parseAddress(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(0);
}

TEST(Ipv4Text, ParsesExactDottedQuadsAndConvertsMasks)
{
    for (const char* text : {"0.0.0.0", "127.0.0.1", "255.255.255.255"})
        EXPECT_EQ(addressText(addr(text)), text);
    const std::uint32_t loopback = addr("127.0.0.1"); // network order: first octet first in memory
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&loopback)[0], 127);
    for (const std::string& bad :
         {std::string(), std::string("1.2.3"), std::string("1.2.3.4.5"), std::string("256.1.1.1"),
          std::string(" 1.2.3.4"), std::string("a.b.c.d"), std::string("::1"), std::string("1.2.3.4\0junk", 12)})
        EXPECT_FALSE(parseAddress(bad).has_value()) << '"' << bad << '"';

    for (int prefix = 0; prefix <= 32; ++prefix)
        EXPECT_EQ(prefixFromMask(maskFromPrefix(prefix).value()), prefix);
    EXPECT_EQ(addressText(*maskFromPrefix(20)), "255.255.240.0");
    EXPECT_FALSE(maskFromPrefix(-1).has_value());
    EXPECT_FALSE(maskFromPrefix(33).has_value());
    EXPECT_EQ(prefixFromMask(addr("255.0.255.0")), -1);
}

TEST(IpAddressPair, NetworkBroadcastAndContainment)
{
    const IpAddressPair pair("10.1.2.3", addr("255.255.0.0"));
    ASSERT_TRUE(pair.valid());
    EXPECT_EQ(pair.maskText(), "255.255.0.0");
    EXPECT_EQ(addressText(*pair.network()), "10.1.0.0");
    EXPECT_EQ(addressText(*pair.broadcast()), "10.1.255.255");
    EXPECT_TRUE(pair.contains("10.1.255.254"));
    EXPECT_TRUE(pair.contains(addr("10.1.0.0")));
    EXPECT_FALSE(pair.contains("10.2.0.1"));
    EXPECT_FALSE(pair.contains("not an address"));

    const IpAddressPair host(addr("192.168.5.9"), addr("255.255.255.255"));
    EXPECT_EQ(host.address(), "192.168.5.9");
    EXPECT_EQ(addressText(*host.broadcast()), "192.168.5.9");
    EXPECT_FALSE(host.contains("192.168.5.8"));

    const IpAddressPair everything("172.16.0.1", 0);
    EXPECT_EQ(addressText(*everything.broadcast()), "255.255.255.255");
    EXPECT_TRUE(everything.contains("8.8.8.8"));
}

TEST(IpAddressPair, InvalidTextFailsCleanly)
{
    const IpAddressPair broken("300.1.1.1", addr("255.0.0.0"));
    EXPECT_FALSE(broken.valid());
    EXPECT_FALSE(broken.network().has_value());
    EXPECT_FALSE(broken.broadcast().has_value());
    EXPECT_FALSE(broken.contains(addr("0.0.0.0")));

    EXPECT_FALSE(IpAddressPair::fromText("10.0.0.1", "255.255.255").has_value());
    EXPECT_FALSE(IpAddressPair::fromText("10.0.0", "255.255.255.0").has_value());
    EXPECT_EQ(IpAddressPair::fromText("10.0.0.1", "255.255.255.0")->netmask(), addr("255.255.255.0"));
}

TEST(IpAddressPair, EqualityNeedsAddressAndMaskAndPrintsForLogs)
{
    const IpAddressPair a("10.0.0.1", addr("255.255.255.0"));
    EXPECT_EQ(a, IpAddressPair(addr("10.0.0.1"), addr("255.255.255.0")));
    EXPECT_NE(a, IpAddressPair("10.0.0.1", addr("255.255.0.0")));
    EXPECT_NE(a, IpAddressPair("10.0.0.2", addr("255.255.255.0")));

    std::ostringstream text;
    text << IpAddressPairList{a, IpAddressPair("127.0.0.1", addr("255.0.0.0"))};
    EXPECT_EQ(text.str(), "10.0.0.1/255.255.255.0 127.0.0.1/255.0.0.0");
}

} // namespace
