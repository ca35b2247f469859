#pragma once
// Configuration of the net client, given at construction; configureClient() replaces the
// address part later.

#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/ip_address_pair.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorinet_api {

struct QORINetClientConfig {
    enum Mode : std::uint32_t {
        /// Use `localAddresses` as given.
        MODE_ADDRESS_LIST = 0,
        /// All local interfaces, following address changes.
        MODE_ALL_INTERFACES = 1,
    };
    /// Node-kind mask bits.
    static constexpr std::uint32_t kAcceptReal = 0x1;
    static constexpr std::uint32_t kAcceptSimulated = 0x2;

    std::uint32_t mode = MODE_ALL_INTERFACES;
    /// 0 keeps the default 9237; P sets the port triple P, P + 10, P + 5.
    std::uint32_t basePort = 0;
    /// Local address pairs of MODE_ADDRESS_LIST.
    uni::ipv4::IpAddressPairList localAddresses;
    /// Local boards to look for (bit 0 real, bit 1 simulated); 0: no local node.
    std::uint32_t localNodeMask = 0;
    /// Remote nodes to accept (kAcceptReal, kAcceptSimulated); 0 disables the network side.
    std::uint32_t nodeKindMask = kAcceptReal | kAcceptSimulated;
    /// Non-zero: nodes are never tainted or removed for missing scans.
    std::uint32_t keepNodes = 0;
    /// Longest wait for one answer while the node keeps sending heartbeats; enough for the
    /// longest firmware update. Without heartbeats an answer is awaited one receive time-out.
    std::uint32_t requestCeilingMs = proto::kRequestCeilingMs;

    /// Scan interval ("scan-time") and scan window in milliseconds.
    std::uint32_t scanIntervalMs = 1000;
    std::uint32_t scanWindowMs = 200;
    /// Answers come to a port of this client's own, chosen by the system, instead of P + 2: a
    /// short-lived program then finds its nodes while another program on this computer holds
    /// P + 2. Announcements, which always go to P + 2, are not heard.
    bool privateAnswerPort = false;
    /// Node addresses asked directly (unicast) at every scan besides the broadcasts: nodes that
    /// broadcasts do not reach, or one node a program wants without waiting for the others.
    std::vector<std::string> directNodes;
    /// Port a new local address is probed with before it is used.
    std::uint16_t probePort = proto::kAddressProbePort;
    /// Version text the client reports in its scans.
    const char* swVersion = "0.1.0";
};

} // namespace qorinet_api
