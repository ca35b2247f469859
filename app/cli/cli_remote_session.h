#pragma once
// The network side of zamo2ctl: the core's remote node session with the command line's reports
// of what went wrong (stderr, and JSON with --json).

#include "cli_options.h"

#include "core/remote_node_session.h"

#include <cstdint>
#include <string>

namespace z2e {
namespace cli {

class RemoteSession {
public:
    /// Discovery time of `nodes` and longest wait for the node of --node, unless --scan-ms.
    static constexpr std::uint32_t kDefaultScanMs = 2500;

    explicit RemoteSession(const CliOptions& options);

    /// Starts the client; false (with the reason on stderr) when it cannot run.
    bool start();
    /// Lets discovery run for the scan time, then lists the nodes in list order.
    std::vector<NetworkNodeSummary> discover() { return m_session.discover(m_scanMs); }
    /// start() and a wait for the node of --node, failures reported on stderr (and as JSON with
    /// --json). EXIT_OK when the node was found (and, with `connectable`, answered a scan), else
    /// the exit status to end with.
    int locate(bool connectable);
    /// locate(true) and connect(), failures reported likewise. EXIT_OK when the node is connected.
    int open();
    /// Connects the located node; the result of connect.
    /// Heartbeats may keep a request waiting for three quarters of the command's time-out (of
    /// kNodeWaitSeconds for a command without one), so that the request ends with its own
    /// message before the whole command is stopped.
    std::int32_t connect();

    /// The longest wait for the node of a command without a time limit (report-package).
    static constexpr std::uint32_t kNodeWaitSeconds = 60;

    std::uint32_t scanMs() const { return m_scanMs; }
    RemoteNodeSession& session() { return m_session; }
    QorinNodeUtilWrapper& wrapper() { return m_session.wrapper(); }

    /// The message of a failed connect.
    std::string connectFailureText(std::int32_t result) const;

private:
    /// Stderr (and JSON) report of a failure at `stage`; the exit status 69.
    int reportFailure(const std::string& stage, const std::string& message, std::int32_t result) const;

    const CliOptions& m_options;
    std::uint32_t m_scanMs;
    RemoteNodeSession m_session;
};

} // namespace cli
} // namespace z2e
