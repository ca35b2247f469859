#pragma once
// Turns one control request into its answer payload: node commands (hello, board
// properties, settings) are served by the node, driver commands by the driver. Everything in
// a request is untrusted: short payloads and broken documents get an error status.

#include "qorinet_api/common/frame_buffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace nodesim {

class DataLink;
class NodeBackend;
class SimNode;

class NodeCommandHandler {
public:
    /// `session` identifies the connection to the node (hold and release of the node).
    /// `dataEveryMs`: how often its data connection forwards what the buses received.
    NodeCommandHandler(SimNode& node, NodeBackend& backend, const void* session, std::uint32_t dataEveryMs = 20);
    ~NodeCommandHandler();
    NodeCommandHandler(const NodeCommandHandler&) = delete;
    NodeCommandHandler& operator=(const NodeCommandHandler&) = delete;

    /// Writes the answer payload of `command` into `answer`. Unknown commands answer 700020.
    void handle(std::uint16_t command, const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);

    /// Ends the data connection, when there is one; the session is over.
    void endSession();

private:
    void startDataLink(const std::string& clientAddress, std::uint64_t dataPort);
    void watch(std::uint16_t command, std::int32_t board, std::int32_t result);

    void hello(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);
    void boardProperties(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);
    void nodeSettings(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);
    void integerParam(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                      qorinet_api::FrameBuffer& answer);
    void textParam(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                   qorinet_api::FrameBuffer& answer);
    void busControl(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                    qorinet_api::FrameBuffer& answer);
    void writeCan(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);
    void writeUart(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);
    void errorCount(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);
    void errorText(const std::uint8_t* payload, std::size_t size, qorinet_api::FrameBuffer& answer);

    SimNode& m_node;
    NodeBackend& m_backend;
    const void* m_session;
    std::uint32_t m_dataEveryMs;
    std::unique_ptr<DataLink> m_link;
};

} // namespace nodesim
