// Control frames from an untrusted node: arbitrary bytes through the stream reader (on a
// socketpair, with the socket code the client reads with) and through the frame decoder, then
// the answer conventions the client applies to a payload.

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/frame_read_ahead.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "byte_stream.h"

#include "uni/tcp_socket.h"

#include "require.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using namespace qorinet_api;

// Larger inputs would not fit the socket buffers; the length limits are hit with headers.
constexpr std::size_t kMaxInput = 256 * 1024;

using fuzz::require;

// What the client does with an answer payload: status, text or value, document.
void readAnswer(const std::uint8_t* payload, std::size_t size)
{
    const PayloadReader answer(payload, size);
    std::int32_t status = 0;
    std::int64_t value = 0;
    std::string text;
    answer.status(status);
    answer.i64At(proto::kAnswerValueOffset, value);
    answer.textAt(0, text);
    if (answer.textAt(4, text)) {
        require(text.size() + 8 <= size);
        CommandDocument document;
        if (document.parse(text))
            require(document.root() && std::strcmp(document.root().name(), CommandDocument::kRoot) == 0);
    }
}

// The stream reader, fed through a socket, must agree with the decoder on every frame of the
// bytes: same result, same header, same payload; and a failure closes the socket. Read with
// and without reading ahead.
void readStream(const std::uint8_t* data, std::size_t size, FrameReadAhead* ahead)
{
    uni::TCPSocket reader;
    reader.setReceiveTimeout(1000);
    std::size_t sent = 0;
    require(fuzz::openByteStream(reader, data, size, sent));

    FrameBuffer buffer;
    std::size_t at = 0;
    for (;;) {
        FrameHeader header;
        const int got = FrameReader::read(reader, buffer, header, ahead);
        FrameHeader expected;
        const std::uint8_t* payload = nullptr;
        require(got == ControlFrame::decode(data + at, sent - at, expected, payload));
        if (got < 0) {
            require(!reader.isOpen() && (!ahead || ahead->empty()));
            return;
        }
        require(header.id == expected.id && header.command == expected.command && header.length == expected.length);
        require(buffer.size() == header.length);
        require(header.length == 0 || std::memcmp(buffer.payload(), payload, header.length) == 0);
        readAnswer(buffer.payload(), buffer.size());
        at += static_cast<std::size_t>(got);
        buffer.reset();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput)
        return 0;
    readStream(data, size, nullptr);
    FrameReadAhead ahead;
    readStream(data, size, &ahead);
    return 0;
}
