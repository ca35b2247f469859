// The 34 exported entry points. They check their pointer arguments, forward to the driver
// object and never let an exception cross into the caller.

#include <cstring>
#include <string>

#include "result_codes.h"
#include "sim_driver.h"
#include "zmpxi_api.h"

using zmpxi_sim::CanBus;
using zmpxi_sim::SimBoard;
using zmpxi_sim::SimDriver;
using zmpxi_sim::UartBus;
namespace rc = zmpxi_sim::rc;

namespace {

template <class Body>
int32_t guarded(Body body)
{
    try {
        return body();
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

template <class Bus>
using PickBus = Bus& (SimBoard::*)();

// Runs `op(bus, nowUs)` on one bus of a board under the driver lock, once the bus has caught
// up with the time.
template <class Bus, class Op>
int32_t onBus(int32_t board, PickBus<Bus> pick, Op op)
{
    return guarded([&] {
        return SimDriver::instance().withBoard(board, [&](SimBoard& b, uint64_t now) {
            Bus& bus = (b.*pick)();
            bus.advanceTo(now);
            return op(bus, now);
        });
    });
}

template <class Bus, class Method, class... Args>
int32_t callBus(int32_t board, PickBus<Bus> pick, Method method, Args... args)
{
    return onBus(board, pick, [&](Bus& bus, uint64_t) { return (bus.*method)(args...); });
}

template <class Bus>
int32_t busProperty(int32_t board, PickBus<Bus> pick, int32_t channel, int32_t property, int64_t* value)
{
    if (!value)
        return rc::paramInvalid;
    return callBus(board, pick, &Bus::property, channel, property, value);
}

template <class Bus>
int32_t readBus(int32_t board, PickBus<Bus> pick, typename Bus::Item* items, int32_t maxCount, int32_t* count)
{
    if (!items || !count || maxCount < 0)
        return rc::paramInvalid;
    return callBus(board, pick, &Bus::read, items, maxCount, count);
}

template <class Bus, class Frame>
int32_t lendBus(int32_t board, PickBus<Bus> pick, Frame** frames, int32_t* count)
{
    if (!frames || !count)
        return rc::paramInvalid;
    return callBus(board, pick, &Bus::readRaw, frames, count);
}

template <class Bus>
int32_t writeBus(int32_t board, PickBus<Bus> pick, const typename Bus::Item* items, int32_t count, int32_t* written)
{
    if (!items || !written || count < 0)
        return rc::paramInvalid;
    return onBus(board, pick, [&](Bus& bus, uint64_t now) { return bus.write(items, count, written, now); });
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
    return callBus(board, &SimBoard::can, &CanBus::open);
}

ZMPXI_EXPORT int32_t ZaMoCloseCAN(int32_t board)
{
    return callBus(board, &SimBoard::can, &CanBus::close);
}

ZMPXI_EXPORT int32_t ZaMoGetChannelPropCAN(int32_t board, int32_t channel, int32_t property, int64_t* value)
{
    return busProperty(board, &SimBoard::can, channel, property, value);
}

ZMPXI_EXPORT int32_t ZaMoSetChannelPropCAN(int32_t board, int32_t channel, int32_t property, int64_t value)
{
    return callBus(board, &SimBoard::can, &CanBus::setProperty, channel, property, value);
}

ZMPXI_EXPORT int32_t ZaMoStartCAN(int32_t board, int32_t channel)
{
    return callBus(board, &SimBoard::can, &CanBus::start, channel);
}

ZMPXI_EXPORT int32_t ZaMoStopCAN(int32_t board, int32_t channel)
{
    return callBus(board, &SimBoard::can, &CanBus::stop, channel);
}

ZMPXI_EXPORT int32_t ZaMoReadCAN(int32_t board, ZaMoCanFrame* frames, int32_t maxCount, int32_t* count)
{
    return readBus(board, &SimBoard::can, frames, maxCount, count);
}

ZMPXI_EXPORT int32_t ZaMoReadCANRawFrame(int32_t board, ZaMoCanFrame** frames, int32_t* count)
{
    return lendBus(board, &SimBoard::can, frames, count);
}

ZMPXI_EXPORT int32_t ZaMoWriteCAN(int32_t board, const ZaMoCanFrame* frames, int32_t count, int32_t* written)
{
    return writeBus(board, &SimBoard::can, frames, count, written);
}

ZMPXI_EXPORT int32_t ZaMoErrorCntCAN(int32_t board, int32_t channel, uint32_t* errorCount)
{
    if (!errorCount)
        return rc::paramInvalid;
    return callBus(board, &SimBoard::can, &CanBus::errorCount, channel, errorCount);
}

ZMPXI_EXPORT int32_t ZaMoOpenDmaUart(int32_t board)
{
    return callBus(board, &SimBoard::uart, &UartBus::open);
}

ZMPXI_EXPORT int32_t ZaMoCloseDmaUart(int32_t board)
{
    return callBus(board, &SimBoard::uart, &UartBus::close);
}

ZMPXI_EXPORT int32_t ZaMoGetChannelPropDmaUart(int32_t board, int32_t channel, int32_t property, int64_t* value)
{
    return busProperty(board, &SimBoard::uart, channel, property, value);
}

ZMPXI_EXPORT int32_t ZaMoSetChannelPropDmaUart(int32_t board, int32_t channel, int32_t property, int64_t value)
{
    return callBus(board, &SimBoard::uart, &UartBus::setProperty, channel, property, value);
}

ZMPXI_EXPORT int32_t ZaMoStartDmaUart(int32_t board, int32_t channel)
{
    return callBus(board, &SimBoard::uart, &UartBus::start, channel);
}

ZMPXI_EXPORT int32_t ZaMoStopDmaUart(int32_t board, int32_t channel)
{
    return callBus(board, &SimBoard::uart, &UartBus::stop, channel);
}

ZMPXI_EXPORT int32_t ZaMoReadDmaUart(int32_t board, uint8_t* bytes, int32_t maxCount, int32_t* count)
{
    return readBus(board, &SimBoard::uart, bytes, maxCount, count);
}

ZMPXI_EXPORT int32_t ZaMoReadDmaUartRawFrame(int32_t board, ZaMoUartFrame** frames, int32_t* count)
{
    return lendBus(board, &SimBoard::uart, frames, count);
}

ZMPXI_EXPORT int32_t ZaMoWriteDmaUart(int32_t board, const uint8_t* bytes, int32_t count, int32_t* written)
{
    return writeBus(board, &SimBoard::uart, bytes, count, written);
}

ZMPXI_EXPORT const char* ZaMoErrorConstantToString(int32_t code)
{
    return zmpxi_sim::resultText(code);
}

ZMPXI_EXPORT int32_t ZaMoFreeFramesCAN(int32_t board, int32_t count)
{
    return callBus(board, &SimBoard::can, &CanBus::free, count);
}

ZMPXI_EXPORT int32_t ZaMoFreeDmaUartRawFrame(int32_t board, int32_t count)
{
    return callBus(board, &SimBoard::uart, &UartBus::free, count);
}

} // extern "C"
