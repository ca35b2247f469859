// A driver library whose answers the tests script. Exports all 34 entry points; every call is
// recorded. On init it copies the simulation mode set so far to "fake"/"modeAtInit", so a test
// in another process can see what was set before the init.

#include "support/fake_driver.h"

#include "zmpxi_api.h"

#include <cstdlib>
#include <cstring>

namespace {

FakeDriverState g_state;

using Guard = std::lock_guard<std::mutex>;

void record(FakeCall call)
{
    if (g_state.record)
        g_state.calls.push_back(std::move(call));
}

std::int32_t getText(bool xml, const char* target, const char* item, char* buffer, std::uint32_t size)
{
    Guard guard(g_state.lock);
    if (g_state.record)
        record(FakeCall{xml ? "GetParamXML_str" : "GetParamStruct_str", target, item,
                        std::string(buffer, strnlen(buffer, size)), 0, 0, size});
    const auto it = g_state.texts.find(FakeDriverState::key(xml, target, item));
    if (it == g_state.texts.end())
        return 100008;
    if (it->second.result >= 1)
        return it->second.result;
    const std::string& text = it->second.text;
    if (text.size() + 1 > size)
        return 230001;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return it->second.result;
}

std::int32_t getLength(bool xml, const char* target, const char* item, std::uint32_t* length)
{
    Guard guard(g_state.lock);
    record(FakeCall{xml ? "GetParamXML_strLEN" : "GetParamStruct_strLEN", target, item});
    if (g_state.lengthResult != 0)
        return g_state.lengthResult;
    const auto it = g_state.texts.find(FakeDriverState::key(xml, target, item));
    if (it == g_state.texts.end())
        return 100008;
    *length = static_cast<std::uint32_t>(it->second.text.size());
    return 0;
}

std::int32_t setText(bool xml, const char* target, const char* item, const char* value)
{
    Guard guard(g_state.lock);
    record(FakeCall{xml ? "SetParamXML_str" : "SetParamStruct_str", target, item, value});
    const std::string key = FakeDriverState::key(xml, target, item);
    const auto it = g_state.setResults.find(key);
    const std::int32_t result = it == g_state.setResults.end() ? 0 : it->second;
    if (result <= 0)
        g_state.texts[key] = {0, value};
    return result;
}

std::int32_t other(const char* name, std::int32_t board, std::int64_t command = 0, std::int64_t number = 0)
{
    Guard guard(g_state.lock);
    record(FakeCall{name, {}, {}, {}, board, command, number});
    return g_state.otherResult;
}

std::int32_t transfer(const char* name, std::int32_t board, std::int32_t maxCount, std::int32_t* count)
{
    Guard guard(g_state.lock);
    record(FakeCall{name, {}, {}, {}, board, maxCount, 0});
    *count = g_state.transferred;
    return g_state.otherResult;
}

} // namespace

extern "C" ZMPXI_EXPORT FakeDriverState* fakeDriverState()
{
    return &g_state;
}

extern "C" {

int32_t ZaMoDriverInit(int32_t* boardCount)
{
    Guard guard(g_state.lock);
    record(FakeCall{"DriverInit"});
    const auto mode = g_state.texts.find(FakeDriverState::key(false, "driver/api/config/simulation", "mode"));
    g_state.setText("fake", "modeAtInit", mode == g_state.texts.end() ? "unset" : mode->second.text);
    *boardCount = g_state.boardCount;
    if (g_state.initAnswers.empty())
        return 0;
    const std::int32_t answer = g_state.initAnswers.front();
    g_state.initAnswers.pop_front();
    return answer;
}

int32_t ZaMoDriverDeInit(void)
{
    Guard guard(g_state.lock);
    record(FakeCall{"DriverDeInit"});
    return 0;
}

int32_t ZaMoGetParam_i32(int32_t board, int32_t command, int32_t* value)
{
    Guard guard(g_state.lock);
    record(FakeCall{"GetParam_i32", {}, {}, {}, board, command});
    const auto it = g_state.i32Results.find({board, command});
    *value = command * 10 + board;
    return it == g_state.i32Results.end() ? 0 : it->second;
}

int32_t ZaMoSetParam_i32(int32_t board, int32_t command, int32_t value)
{
    Guard guard(g_state.lock);
    record(FakeCall{"SetParam_i32", {}, {}, {}, board, command, value});
    const auto it = g_state.i32Results.find({board, command});
    return it == g_state.i32Results.end() ? 0 : it->second;
}

int32_t ZaMoGetParam_i64(int32_t board, int32_t command, int64_t* value)
{
    *value = (int64_t{1} << 40) + command;
    return other("GetParam_i64", board, command);
}

int32_t ZaMoSetParam_i64(int32_t board, int32_t command, int64_t value)
{
    return other("SetParam_i64", board, command, value);
}

int32_t ZaMoSetParamStruct_str(const char* target, const char* item, const char* value)
{
    return setText(false, target, item, value);
}

int32_t ZaMoGetParamStruct_str(const char* target, const char* item, char* buffer, uint32_t size)
{
    return getText(false, target, item, buffer, size);
}

int32_t ZaMoGetParamStruct_strLEN(const char* target, const char* item, uint32_t* length)
{
    return getLength(false, target, item, length);
}

int32_t ZaMoSetParamXML_str(const char* target, const char* item, const char* value)
{
    return setText(true, target, item, value);
}

int32_t ZaMoGetParamXML_str(const char* target, const char* item, char* buffer, uint32_t size)
{
    return getText(true, target, item, buffer, size);
}

int32_t ZaMoGetParamXML_strLEN(const char* target, const char* item, uint32_t* length)
{
    return getLength(true, target, item, length);
}

int32_t ZaMoOpenCAN(int32_t board)
{
    return other("OpenCAN", board);
}
int32_t ZaMoCloseCAN(int32_t board)
{
    return other("CloseCAN", board);
}
int32_t ZaMoGetChannelPropCAN(int32_t board, int32_t channel, int32_t, int64_t*)
{
    return other("GetChannelPropCAN", board, channel);
}
int32_t ZaMoSetChannelPropCAN(int32_t board, int32_t channel, int32_t, int64_t)
{
    return other("SetChannelPropCAN", board, channel);
}
int32_t ZaMoStartCAN(int32_t board, int32_t channel)
{
    return other("StartCAN", board, channel);
}
int32_t ZaMoStopCAN(int32_t board, int32_t channel)
{
    return other("StopCAN", board, channel);
}
int32_t ZaMoReadCAN(int32_t board, ZaMoCanFrame*, int32_t maxCount, int32_t* count)
{
    return transfer("ReadCAN", board, maxCount, count);
}

int32_t ZaMoReadCANRawFrame(int32_t board, ZaMoCanFrame** frames, int32_t* count)
{
    *frames = nullptr;
    return transfer("ReadCANRawFrame", board, 0, count);
}

int32_t ZaMoWriteCAN(int32_t board, const ZaMoCanFrame*, int32_t count, int32_t* written)
{
    return transfer("WriteCAN", board, count, written);
}
int32_t ZaMoErrorCntCAN(int32_t board, int32_t channel, uint32_t* errors)
{
    *errors = 7;
    return other("ErrorCntCAN", board, channel);
}
int32_t ZaMoOpenDmaUart(int32_t board)
{
    return other("OpenDmaUart", board);
}
int32_t ZaMoCloseDmaUart(int32_t board)
{
    return other("CloseDmaUart", board);
}
int32_t ZaMoGetChannelPropDmaUart(int32_t board, int32_t channel, int32_t, int64_t*)
{
    return other("GetChannelPropDmaUart", board, channel);
}
int32_t ZaMoSetChannelPropDmaUart(int32_t board, int32_t channel, int32_t, int64_t)
{
    return other("SetChannelPropDmaUart", board, channel);
}
int32_t ZaMoStartDmaUart(int32_t board, int32_t channel)
{
    return other("StartDmaUart", board, channel);
}
int32_t ZaMoStopDmaUart(int32_t board, int32_t channel)
{
    return other("StopDmaUart", board, channel);
}
int32_t ZaMoReadDmaUart(int32_t board, uint8_t*, int32_t maxCount, int32_t* count)
{
    return transfer("ReadDmaUart", board, maxCount, count);
}

int32_t ZaMoReadDmaUartRawFrame(int32_t board, ZaMoUartFrame** frames, int32_t* count)
{
    *frames = nullptr;
    return transfer("ReadDmaUartRawFrame", board, 0, count);
}

int32_t ZaMoWriteDmaUart(int32_t board, const uint8_t*, int32_t count, int32_t* written)
{
    return transfer("WriteDmaUart", board, count, written);
}

const char* ZaMoErrorConstantToString(int32_t code)
{
    // Code 0 has no text of its own here, to show that a missing text stays empty.
    static thread_local std::string text;
    if (code == 0)
        return nullptr;
    text = "FAKE_TEXT_" + std::to_string(code);
    return text.c_str();
}

int32_t ZaMoFreeFramesCAN(int32_t board, int32_t count)
{
    return other("FreeFramesCAN", board, count);
}
int32_t ZaMoFreeDmaUartRawFrame(int32_t board, int32_t count)
{
    return other("FreeDmaUartRawFrame", board, count);
}

} // extern "C"
