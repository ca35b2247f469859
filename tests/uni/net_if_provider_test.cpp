#include "support/fixed_interfaces.h"

#include "uni/net_if_provider.h"
#include "uni/osal.h"

#include <gtest/gtest.h>

#include <net/if.h>

#include <algorithm>

namespace {

using uni::AllowedNetworks;
using uni::NetInterface;
using uni::NetInterfaceList;
using uni::ipv4::IpAddressPair;

std::uint32_t addr(const char* text)
{
    return uni::ipv4::parseAddress(text).value();
}

const NetInterface* byName(const NetInterfaceList& list, const std::string& name)
{
    const auto it = std::find_if(list.begin(), list.end(), [&](const NetInterface& i) { return i.name == name; });
    return it == list.end() ? nullptr : &*it;
}

TEST(NetIfProvider, FindsLoopbackUnlessTheAllowListExcludesIt)
{
    const uni::NetIfProvider provider;
    NetInterfaceList all;
    ASSERT_EQ(provider.allInterfaces(all), 0);
    const NetInterface* lo = byName(all, "lo");
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->index, ::if_nametoindex("lo"));
    EXPECT_TRUE(lo->loopback);
    EXPECT_EQ(lo->description, "lo [Loopback]");
    EXPECT_EQ(lo->hardwareAddressText(), "00:00:00:00:00:00");
    const IpAddressPair expected("127.0.0.1", addr("255.0.0.0"));
    EXPECT_NE(std::find(lo->addresses.begin(), lo->addresses.end(), expected), lo->addresses.end());

    NetInterfaceList allowed;
    ASSERT_EQ(provider.interfaces(allowed, AllowedNetworks::parse("127.0.0.0/8")), 0);
    ASSERT_NE(byName(allowed, "lo"), nullptr);

    NetInterfaceList foreign;
    ASSERT_EQ(provider.interfaces(foreign, AllowedNetworks::parse("10.0.0.0/8")), 0);
    EXPECT_EQ(byName(foreign, "lo"), nullptr);
    for (const auto& netIf : foreign)
        for (const auto& pair : netIf.addresses)
            EXPECT_EQ(pair.address().rfind("10.", 0), 0u) << netIf.name << " " << pair;
}

TEST(IfNetIfProvider, AllowListTrimsAddressesAndDropsInterfacesLeftWithout)
{
    using z2e::test::netInterface;
    const z2e::test::FixedInterfaces provider(
        {netInterface(1, "lo [Loopback]", {0, 0, 0, 0, 0, 0}, {{"127.0.0.1", "255.0.0.0"}}, true),
         netInterface(2, "eth0 [Ethernet]", {2, 0, 0, 0, 0, 1},
                      {{"192.168.1.2", "255.255.255.0"}, {"10.5.0.2", "255.255.255.0"}}),
         netInterface(3, "tun0 [Tunnel]", {}, {})});
    NetInterfaceList list;
    ASSERT_EQ(provider.interfaces(list, AllowedNetworks()), 0);
    EXPECT_EQ(list.size(), 3u);

    const auto tenOnly = AllowedNetworks::parse("10.0.0.0/8");
    ASSERT_EQ(provider.interfaces(list, tenOnly), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "eth0");
    EXPECT_EQ(list[0].hardwareAddressText(), "02:00:00:00:00:01");
    EXPECT_EQ(list[0].addresses, (uni::ipv4::IpAddressPairList{IpAddressPair("10.5.0.2", addr("255.255.255.0"))}));

    NetInterface found;
    EXPECT_EQ(provider.findInterface(2, found, tenOnly), 0);
    EXPECT_EQ(found.addresses.size(), 1u);
    EXPECT_EQ(provider.findInterface(1, found, tenOnly),
              -(uni::osal::ERR_UNI_OSAL_ENODATA - uni::osal::ERR_UNI_OSAL_BASE));

    uni::ipv4::IpAddressPairList pairs;
    ASSERT_EQ(provider.localAddressPairs(pairs, AllowedNetworks()), 0);
    EXPECT_EQ(pairs, (uni::ipv4::IpAddressPairList{IpAddressPair("127.0.0.1", addr("255.0.0.0")),
                                                   IpAddressPair("192.168.1.2", addr("255.255.255.0")),
                                                   IpAddressPair("10.5.0.2", addr("255.255.255.0"))}));
}

} // namespace
