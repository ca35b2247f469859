// The 34 exported entry points. They check their pointer arguments, forward to the driver
// object and never let an exception cross into the caller.

#include <cstring>
#include <new>
#include <string>

#include "result_codes.h"
#include "sim_driver.h"
#include "zmpxi_api.h"

using zmpxi_sim::SimBoard;
using zmpxi_sim::SimDriver;
namespace rc = zmpxi_sim::rc;

namespace {

template <class Body>
int32_t guarded(Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return rc::internalError;
    } catch (...) {
        return rc::internalError;
    }
}

int32_t copyAnswer(int32_t result, const std::string& answer, char* buffer, uint32_t bufferSize)
{
    if (result > 0)
        return result;
    if (!buffer || answer.size() + 1 > bufferSize)
        return rc::bufferTooSmall;
    std::memcpy(buffer, answer.c_str(), answer.size() + 1);
    return result;
}

int32_t answerLength(int32_t result, const std::string& answer, uint32_t* length)
{
    if (result > 0)
        return result;
    if (answer.size() + 1 > UINT32_MAX)
        return rc::internalError;
    *length = static_cast<uint32_t>(answer.size() + 1);
    return rc::ok;
}

} // namespace

extern "C" {

ZMPXI_EXPORT int32_t ZaMoDriverInit(int32_t* boardCount)
{
    return guarded([&] { return SimDriver::instance().init(boardCount); });
}

ZMPXI_EXPORT int32_t ZaMoDriverDeInit(void)
{
    return guarded([&] { return SimDriver::instance().deinit(); });
}

ZMPXI_EXPORT int32_t ZaMoGetParam_i32(int32_t board, int32_t command, int32_t* value)
{
    if (!value)
        return rc::paramInvalid;
    return guarded([&] {
        int64_t wide = 0;
        const int32_t result = SimDriver::instance().getInt(board, command, wide);
        if (result <= 0)
            *value = static_cast<int32_t>(wide);
        return result;
    });
}

ZMPXI_EXPORT int32_t ZaMoSetParam_i32(int32_t board, int32_t command, int32_t value)
{
    return guarded([&] { return SimDriver::instance().setInt(board, command, value); });
}

ZMPXI_EXPORT int32_t ZaMoGetParam_i64(int32_t board, int32_t command, int64_t* value)
{
    if (!value)
        return rc::paramInvalid;
    return guarded([&] { return SimDriver::instance().getInt(board, command, *value); });
}

ZMPXI_EXPORT int32_t ZaMoSetParam_i64(int32_t board, int32_t command, int64_t value)
{
    return guarded([&] { return SimDriver::instance().setInt(board, command, value); });
}

ZMPXI_EXPORT int32_t ZaMoSetParamStruct_str(const char* target, const char* item, const char* value)
{
    if (!target || !item || !value)
        return rc::paramInvalid;
    return guarded([&] { return SimDriver::instance().setText(target, item, value); });
}

ZMPXI_EXPORT int32_t ZaMoGetParamStruct_str(const char* target, const char* item, char* buffer, uint32_t bufferSize)
{
    if (!target || !item)
        return rc::paramInvalid;
    return guarded([&] {
        std::string answer;
        const int32_t result = SimDriver::instance().getText(target, item, answer);
        return copyAnswer(result, answer, buffer, bufferSize);
    });
}

ZMPXI_EXPORT int32_t ZaMoGetParamStruct_strLEN(const char* target, const char* item, uint32_t* length)
{
    if (!target || !item || !length)
        return rc::paramInvalid;
    return guarded([&] {
        std::string answer;
        const int32_t result = SimDriver::instance().getText(target, item, answer);
        return answerLength(result, answer, length);
    });
}

ZMPXI_EXPORT int32_t ZaMoSetParamXML_str(const char* target, const char* item, const char* value)
{
    return ZaMoSetParamStruct_str(target, item, value);
}

ZMPXI_EXPORT int32_t ZaMoGetParamXML_str(const char* target, const char* item, char* buffer, uint32_t bufferSize)
{
    return ZaMoGetParamStruct_str(target, item, buffer, bufferSize);
}

ZMPXI_EXPORT int32_t ZaMoGetParamXML_strLEN(const char* target, const char* item, uint32_t* length)
{
    return ZaMoGetParamStruct_strLEN(target, item, length);
}

ZMPXI_EXPORT int32_t ZaMoOpenCAN(int32_t board)
{
    return guarded([&] { return SimDriver::instance().withBoard(board, [](SimBoard& b, uint64_t) { return b.bus().openCan(); }); });
}

ZMPXI_EXPORT int32_t ZaMoCloseCAN(int32_t board)
{
    return guarded([&] { return SimDriver::instance().withBoard(board, [](SimBoard& b, uint64_t) { return b.bus().closeCan(); }); });
}

ZMPXI_EXPORT int32_t ZaMoGetChannelPropCAN(int32_t board, int32_t channel, int32_t property, int64_t* value)
{
    if (!value)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().canProperty(channel, property, value); });
    });
}

ZMPXI_EXPORT int32_t ZaMoSetChannelPropCAN(int32_t board, int32_t channel, int32_t property, int64_t value)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().setCanProperty(channel, property, value); });
    });
}

ZMPXI_EXPORT int32_t ZaMoStartCAN(int32_t board, int32_t channel)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().startCan(channel); });
    });
}

ZMPXI_EXPORT int32_t ZaMoStopCAN(int32_t board, int32_t channel)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().stopCan(channel); });
    });
}

ZMPXI_EXPORT int32_t ZaMoReadCAN(int32_t board, ZaMoCanFrame* frames, int32_t maxCount, int32_t* count)
{
    if (!frames || !count || maxCount < 0)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().readCan(frames, maxCount, count); });
    });
}

ZMPXI_EXPORT int32_t ZaMoReadCANRawFrame(int32_t board, ZaMoCanFrame** frames, int32_t* count)
{
    if (!frames || !count)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().readCanRaw(frames, count); });
    });
}

ZMPXI_EXPORT int32_t ZaMoWriteCAN(int32_t board, const ZaMoCanFrame* frames, int32_t count, int32_t* written)
{
    if (!frames || !written || count < 0)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t now) { return b.bus().writeCan(frames, count, written, now); });
    });
}

ZMPXI_EXPORT int32_t ZaMoErrorCntCAN(int32_t board, int32_t channel, uint32_t* errorCount)
{
    if (!errorCount)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().canErrorCount(channel, errorCount); });
    });
}

ZMPXI_EXPORT int32_t ZaMoOpenDmaUart(int32_t board)
{
    return guarded([&] { return SimDriver::instance().withBoard(board, [](SimBoard& b, uint64_t) { return b.bus().openUart(); }); });
}

ZMPXI_EXPORT int32_t ZaMoCloseDmaUart(int32_t board)
{
    return guarded([&] { return SimDriver::instance().withBoard(board, [](SimBoard& b, uint64_t) { return b.bus().closeUart(); }); });
}

ZMPXI_EXPORT int32_t ZaMoGetChannelPropDmaUart(int32_t board, int32_t channel, int32_t property, int64_t* value)
{
    if (!value)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().uartProperty(channel, property, value); });
    });
}

ZMPXI_EXPORT int32_t ZaMoSetChannelPropDmaUart(int32_t board, int32_t channel, int32_t property, int64_t value)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().setUartProperty(channel, property, value); });
    });
}

ZMPXI_EXPORT int32_t ZaMoStartDmaUart(int32_t board, int32_t channel)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().startUart(channel); });
    });
}

ZMPXI_EXPORT int32_t ZaMoStopDmaUart(int32_t board, int32_t channel)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().stopUart(channel); });
    });
}

ZMPXI_EXPORT int32_t ZaMoReadDmaUart(int32_t board, uint8_t* bytes, int32_t maxCount, int32_t* count)
{
    if (!bytes || !count || maxCount < 0)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t) { return b.bus().readUart(bytes, maxCount, count); });
    });
}

ZMPXI_EXPORT int32_t ZaMoReadDmaUartRawFrame(int32_t board, ZaMoUartFrame** frames, int32_t* count)
{
    if (!frames || !count)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().readUartRaw(frames, count); });
    });
}

ZMPXI_EXPORT int32_t ZaMoWriteDmaUart(int32_t board, const uint8_t* bytes, int32_t count, int32_t* written)
{
    if (!bytes || !written || count < 0)
        return rc::paramInvalid;
    return guarded([&] {
        return SimDriver::instance().withBoard(
            board, [&](SimBoard& b, uint64_t now) { return b.bus().writeUart(bytes, count, written, now); });
    });
}

ZMPXI_EXPORT const char* ZaMoErrorConstantToString(int32_t code)
{
    return zmpxi_sim::resultText(code);
}

ZMPXI_EXPORT int32_t ZaMoFreeFramesCAN(int32_t board, int32_t count)
{
    return guarded([&] { return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().freeCan(count); }); });
}

ZMPXI_EXPORT int32_t ZaMoFreeDmaUartRawFrame(int32_t board, int32_t count)
{
    return guarded([&] { return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t) { return b.bus().freeUart(count); }); });
}

} // extern "C"
