#pragma once
// The network side of zamo2ctl: a net client on all interfaces (within QORINET_ALLOWED_NETWORKS),
// discovery for a bounded time, and at most one network node connected with the command layer
// on top. Everything is stopped again when the session goes away.

#include "cli_options.h"

#include "driver/command/qorin_node_util_wrapper.h"
#include "qorinet_api/client/qorinet_client.h"
#include "uni/event_queue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace z2e {
namespace cli {

class RemoteSession {
public:
    /// Discovery time of `nodes` and longest wait for the node of --node, unless --scan-ms.
    static constexpr std::uint32_t kDefaultScanMs = 2500;

    /// Nothing runs before start().
    explicit RemoteSession(const CliOptions& options);
    /// Disconnects the node and stops the client.
    ~RemoteSession();
    RemoteSession(const RemoteSession&) = delete;
    RemoteSession& operator=(const RemoteSession&) = delete;

    /// Starts the client; false (with the reason on stderr) when it cannot run.
    bool start();
    /// Lets discovery run for the scan time, then returns the nodes in list order.
    std::vector<std::shared_ptr<qorinet_api::QORINetClientNode>> discover();
    /// Waits until the node at `address` can be connected, at most the scan time. The node
    /// (possibly one that was only announced), or null when none with that address showed up.
    std::shared_ptr<qorinet_api::QORINetClientNode> findNode(const std::string& address);
    /// Connects the node findNode() returned and readies the command layer; the result of connect.
    std::int32_t connect();

    /// start() and findNode() for the address of --node, failures reported on stderr (and as JSON
    /// with --json). EXIT_OK when the node was found (and, with `connectable`, answered a scan),
    /// else the exit status to end with.
    int locate(bool connectable);
    /// locate(true) and connect(), failures reported likewise. EXIT_OK when the node is connected.
    int open();

    std::uint32_t scanMs() const { return m_scanMs; }
    qorinet_api::QORINetClientNode& node() { return *m_node; }
    const std::shared_ptr<qorinet_api::QORINetClientNode>& nodePtr() const { return m_node; }
    QorinNodeUtilWrapper& wrapper() { return *m_wrapper; }

    /// Stderr (and JSON) report of a failure at `stage` ("start", "discover", "connect"); the
    /// exit status 69.
    int reportFailure(const std::string& stage, const std::string& message, std::int32_t result) const;
    /// The message of a failed connect.
    std::string connectFailureText(std::int32_t result) const;

private:
    /// The node at `address` in the client's list, or null.
    std::shared_ptr<qorinet_api::QORINetClientNode> nodeAt(const std::string& address) const;

    const CliOptions& m_options;
    std::uint32_t m_scanMs;
    uni::EventQueue m_events;
    qorinet_api::QORINetClient m_client;
    bool m_started = false;
    // Released before the client, which the node reports its disconnect to.
    std::shared_ptr<qorinet_api::QORINetClientNode> m_node;
    std::unique_ptr<QorinNodeUtilWrapper> m_wrapper;
};

} // namespace cli
} // namespace z2e
