#pragma once
// A client's discovery socket for the node simulator's tests: scans sent to the loopback
// broadcast, answers and announcements collected with their senders.

#include "qorinet_api/common/discovery_packet.h"

#include "uni/udp_socket.h"

#include <pugixml.hpp>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e::test {

constexpr std::uint16_t kScanRequest = 2;
constexpr std::uint16_t kScanAnswer = 3;
constexpr std::uint16_t kAnnounce = 8;

using Bytes = std::vector<std::uint8_t>;

struct Datagram {
    std::string sender;
    Bytes bytes;
};

/// A whole, sound discovery datagram: its command and document.
inline bool parseDatagram(const Bytes& d, std::uint16_t& command, pugi::xml_document& doc)
{
    std::string xml;
    return qorinet_api::DiscoveryPacket::decode(d.data(), d.size(), command, xml) == 0 && doc.load_string(xml.c_str());
}

/// A client's discovery socket: 0.0.0.0 on P + 2, so that broadcasts reach it too.
class ScanSocket {
public:
    explicit ScanSocket(std::uint16_t base)
        : m_base(base), m_socket(uni::Socket::Receiver | uni::Socket::ReuseAddress | uni::Socket::Broadcast)
    {
        m_socket.setLocalEnd("0.0.0.0", std::uint16_t(base + 2));
        m_socket.setReceiveTimeout(100);
        m_ok = m_socket.open() == 0;
    }
    bool ok() const { return m_ok; }

    void sendScan(const std::string& port = "", const std::string& to = "127.255.255.255")
    {
        const std::string xml = "<Cmd><NetBase><cmd-version>65793</cmd-version><sw-version>1</sw-version>"
                                "<net-addr>127.0.0.1</net-addr><net-mask>255.0.0.0</net-mask>" +
                                (port.empty() ? std::string() : "<port>" + port + "</port>") + "</NetBase></Cmd>";
        sendRaw(qorinet_api::DiscoveryPacket::encode(kScanRequest, xml), to);
    }
    void sendRaw(const Bytes& datagram, const std::string& to)
    {
        m_socket.setRemoteEnd(to, std::uint16_t(m_base + 1));
        m_socket.send(datagram.data(), datagram.size());
    }

    /// Datagrams until `count` arrived or `ms` passed.
    std::vector<Datagram> collect(std::size_t count, int ms)
    {
        std::vector<Datagram> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            Datagram d;
            d.bytes.resize(65536);
            const int n = m_socket.receiveFrom(d.bytes.data(), d.bytes.size(), d.sender);
            if (n < 0)
                continue;
            d.bytes.resize(std::size_t(n));
            got.push_back(std::move(d));
        }
        return got;
    }

    /// The command of the next sound datagram within `ms`, its document in `doc`; 0 for none.
    std::uint16_t receiveOne(pugi::xml_document& doc, int ms, std::string* sender = nullptr)
    {
        const auto got = collect(1, ms);
        std::uint16_t command = 0;
        if (got.empty() || !parseDatagram(got[0].bytes, command, doc))
            return 0;
        if (sender)
            *sender = got[0].sender;
        return command;
    }

private:
    std::uint16_t m_base;
    uni::UDPSocket m_socket;
    bool m_ok = false;
};

} // namespace z2e::test
