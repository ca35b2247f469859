// Control frames from an untrusted node: arbitrary bytes through the stream reader (over a
// loopback connection, as the client reads them) and through the frame decoder, then the
// answer conventions the client applies to a payload.

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/tcp_socket.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace qorinet_api;

// Larger inputs would only fill the socket buffers; the length limits are hit with headers.
constexpr std::size_t kMaxInput = 256 * 1024;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

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

void decodeFrames(const std::uint8_t* data, std::size_t size)
{
    FrameHeader header;
    const std::uint8_t* payload = nullptr;
    while (size > 0) {
        const int used = ControlFrame::decode(data, size, header, payload);
        if (used < 0)
            return;
        require(static_cast<std::size_t>(used) == header.length + proto::kFrameOverhead);
        require(static_cast<std::size_t>(used) <= size);
        readAnswer(payload, header.length);
        data += used;
        size -= static_cast<std::size_t>(used);
    }
}

void readStream(const std::uint8_t* data, std::size_t size)
{
    uni::TCPSocket listener(uni::Socket::Receiver | uni::Socket::Listening);
    listener.setLocalEnd("127.0.0.1", 0);
    listener.setReceiveTimeout(1000);
    if (listener.open() != 0)
        return;
    uni::TCPSocket reader;
    reader.setRemoteEnd("127.0.0.1", listener.localPort());
    reader.setReceiveTimeout(1000);
    uni::TCPSocket writer;
    if (reader.connect() != 0 || listener.accept(writer) != 0)
        return;
    if (size > 0)
        writer.send(data, size);
    writer.close(); // the reader meets the end of the stream instead of waiting

    FrameBuffer buffer;
    FrameHeader header;
    std::size_t consumed = 0;
    for (;;) {
        const int got = FrameReader::read(reader, buffer, header);
        if (got < 0) {
            require(!reader.isOpen() || got == -8);
            break;
        }
        require(static_cast<std::size_t>(got) == header.length + proto::kFrameOverhead);
        require(buffer.size() == header.length);
        consumed += static_cast<std::size_t>(got);
        require(consumed <= size);
        // The reader and the decoder agree on every frame the reader accepts.
        FrameHeader again;
        const std::uint8_t* payload = nullptr;
        require(ControlFrame::decode(buffer.frame(), static_cast<std::size_t>(got), again, payload) == got);
        readAnswer(buffer.payload(), buffer.size());
        buffer.reset();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput)
        return 0;
    decodeFrames(data, size);
    readStream(data, size);
    return 0;
}
