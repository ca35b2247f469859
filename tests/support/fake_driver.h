#pragma once
// Script and call record of the test driver library (fake_driver/driver.cpp). A test reaches
// a library's one instance through its export fakeDriverState(), found with dlsym. Besides the
// complete library, builds with chosen exports left out serve the binding's load levels.

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct FakeCall {
    std::string name; ///< export name without "ZaMo"
    std::string target{};
    std::string item{};
    std::string value{}; ///< Set value, or the buffer's content on entry of a getter
    std::int64_t board = 0;
    std::int64_t command = 0; ///< command, channel or count, by export
    std::int64_t number = 0;  ///< integer value, or the buffer size of a getter
};

struct FakeTextAnswer {
    std::int32_t result = 0; ///< >= 1: answered without touching the buffer
    std::string text;
};

struct FakeDriverState {
    std::mutex lock;
    bool record = true;                             ///< off for benchmarks
    std::deque<std::int32_t> initAnswers;           ///< one per init; empty answers 0
    std::int32_t boardCount = 0;                    ///< reported by every init
    std::map<std::string, FakeTextAnswer> texts;    ///< "S|target|item" or "X|target|item"
    std::map<std::string, std::int32_t> setResults; ///< same keys; a Set stores its value as text
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> i32Results; ///< (board, command)
    std::int32_t lengthResult = 0; ///< answer of both LEN functions when not 0
    std::int32_t otherResult = 0;  ///< answer of every CAN/UART export
    std::int32_t transferred = 0;  ///< count the read/write exports report back
    std::vector<FakeCall> calls;

    FakeDriverState() { reset(); }

    /// Back to the defaults: enclosure count "1", driver version "9.9.9-fake", boards from
    /// the environment variable QORINET_FAKE_BOARDS (for runs in another process).
    void reset()
    {
        record = true;
        initAnswers.clear();
        const char* boards = std::getenv("QORINET_FAKE_BOARDS");
        boardCount = boards ? std::atoi(boards) : 0;
        texts.clear();
        setResults.clear();
        i32Results.clear();
        lengthResult = 0;
        otherResult = 0;
        transferred = 0;
        calls.clear();
        setText("System", "EnclosureCount", "1");
        setText("driver/api", "version", "9.9.9-fake");
    }

    static std::string key(bool xml, const std::string& target, const std::string& item)
    {
        return std::string(xml ? "X|" : "S|") + target + "|" + item;
    }

    void setText(const std::string& target, const std::string& item, const std::string& text, std::int32_t result = 0)
    {
        texts[key(false, target, item)] = {result, text};
    }

    std::vector<FakeCall> callsNamed(const std::string& name) const
    {
        std::vector<FakeCall> found;
        for (const FakeCall& call : calls) {
            if (call.name == name)
                found.push_back(call);
        }
        return found;
    }
};

extern "C" FakeDriverState* fakeDriverState();

namespace z2e::test {

/// Full path of the complete test driver library.
std::string fakeDriverPath();
/// Its script. The test keeps its own handle on the library for the whole run, so the script
/// outlives the binding's unloads.
FakeDriverState& fakeDriver();

} // namespace z2e::test
