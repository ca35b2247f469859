// The node simulator's settings command (name, recording) on arbitrary bytes: as the document
// text of a well-formed request, and as the raw request payload. A refused request changes
// nothing; an accepted one leaves a name the client accepts too.

#include "node/node_backend.h"
#include "node/node_command_handler.h"
#include "node/sim_node.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/frame_buffer.h"
#include "qorinet_api/common/node_name.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "require.h"

#include <cstdint>
#include <string>

namespace {

using namespace qorinet_api;

constexpr const char* kName = "Bench-Fuzz";

using fuzz::require;

void settle(const std::uint8_t* payload, std::size_t size)
{
    static nodesim::NodeBackend backend; // never started: settings do not reach the driver
    nodesim::SimNode node(0, uni::ipv4::IpAddressPair("127.0.0.2", 0xFF000000u), 0, kName);
    nodesim::NodeCommandHandler handler(node, backend, &node);
    FrameBuffer answer;
    handler.handle(proto::CMD_NODE_SETTINGS, payload, size, answer);

    std::int32_t status = -1;
    require(answer.size() == 4 && PayloadReader(answer.payload(), answer.size()).status(status));
    require(NodeName::check(node.name()) == NodeName::Check::Ok);
    if (status != 0) {
        require(node.name() == kName && !node.recording());
        return;
    }
    std::string text;
    CommandDocument request;
    require(PayloadReader(payload, size).document(text) && request.parse(text));
    require(node.name() == request.text("Node", "name").value_or(kName));
    require(node.recording() == (request.text("Node", "recording").value_or("0") == "1"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FrameBuffer request;
    PayloadWriter(request).document(std::string(reinterpret_cast<const char*>(data), size));
    settle(request.payload(), request.size());
    settle(data, size);
    return 0;
}
