#pragma once
// What a remote node needs from the client that owns it: the local address list and ports for
// the hello, the connect/disconnect notices, the commands that run on a connection of the
// client's own (maintenance port) and the data streams the client's data path receives.
// The net client implements it; a node without an owner uses the defaults stated per call.

#include "uni/ip_address_pair.h"

#include "zmpxi_api.h"

#include <cstdint>
#include <string>

namespace qorinet_api {

class IfNodeOwner {
public:
    virtual ~IfNodeOwner() = default;

    /// Configured local address pairs, in order (searched by guessLocalIpAddress). None: empty.
    virtual uni::ipv4::IpAddressPairList localAddressPairs() const = 0;
    /// The client's own control and data ports (hello "ctrl_port", "data_port"). None: 9237, 9247.
    virtual std::uint16_t clientControlPort() const = 0;
    virtual std::uint16_t clientDataPort() const = 0;
    /// Session number for a node address (hello "session"). None: 0.
    virtual std::uint64_t sessionFor(const std::string& nodeAddress) const = 0;
    /// Scan interval in ms (hello "scan-time"). None: 1000.
    virtual std::uint32_t scanTimeMs() const = 0;

    /// The node's control connection is up / down.
    virtual void nodeConnected(std::uint32_t nodeId) = 0;
    virtual void nodeDisconnected(std::uint32_t nodeId) = 0;

    /// Maintenance commands on a short-lived connection to the node's control port + 6.
    /// None: 700002.
    virtual std::int32_t restartServer(std::uint32_t nodeId) = 0;
    virtual std::int32_t rebootSystem(std::uint32_t nodeId) = 0;
    virtual std::int32_t setIpConfig(std::uint32_t nodeId, std::uint32_t mode, const std::string& address,
                                     const std::string& netmask) = 0;

    /// Lets the data path answer or observe an integer command before it goes to the node.
    /// True: handled, `result` (and for the getters `value`) is the answer and nothing is sent.
    virtual bool interceptSetParam_i32(std::uint32_t nodeId, std::int32_t board, std::int32_t command,
                                       std::int32_t value, std::int32_t& result) = 0;
    virtual bool interceptGetParam(std::uint32_t nodeId, std::int32_t board, std::int32_t command, std::int64_t& value,
                                   std::int32_t& result) = 0;

    /// The CAN and UART streams the node sends on its data connection. None: 700002.
    virtual std::int32_t readCan(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame* frames,
                                 std::int32_t& count) = 0;
    virtual std::int32_t readCanRawFrame(std::uint32_t nodeId, std::int32_t board, ZaMoCanFrame*& frames,
                                         std::int32_t& count) = 0;
    virtual std::int32_t freeFramesCan(std::uint32_t nodeId, std::int32_t board, std::int32_t count) = 0;
    virtual std::int32_t readDmaUart(std::uint32_t nodeId, std::int32_t board, std::uint8_t* bytes,
                                     std::int32_t& count) = 0;
    virtual std::int32_t readDmaUartRawFrame(std::uint32_t nodeId, std::int32_t board, ZaMoUartFrame*& frames,
                                             std::int32_t& count) = 0;
    virtual std::int32_t freeDmaUartRawFrame(std::uint32_t nodeId, std::int32_t board, std::int32_t count) = 0;
};

} // namespace qorinet_api
