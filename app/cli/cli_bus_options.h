#pragma once
// Options of zamo2ctl's can and uart commands.

#include <cstdint>
#include <string>

namespace z2e {
namespace cli {

struct BusCliOptions {
    std::int32_t channel = -1; ///< --channel: monitor shows only it; send sends on it
    std::int32_t count = 0;    ///< --count: frames shown (monitor) or sent (send); 0: no limit
    std::int32_t everyMs = 0;  ///< --every MS: send again after MS; 0: once
    bool sendGiven = false;    ///< monitor --send ID DATA (uart: --send DATA)
    std::string sendId;
    std::string sendData;
    std::int32_t sendChannel = -1; ///< monitor --send-channel
    std::string ids;               ///< monitor --ids LOW-HIGH: CAN ids shown, hexadecimal
    std::int32_t ring = 0;         ///< monitor --ring N: frames kept for --json; 0: the default
    std::string trace;             ///< monitor --trace FILE: the kept frames saved as CSV

    bool any() const
    {
        return channel >= 0 || count > 0 || everyMs > 0 || sendGiven || sendChannel >= 0 || !ids.empty() || ring > 0 ||
               !trace.empty();
    }
};

/// Takes `arg` when it is one of these options (`matched`); false with `error` set for a
/// malformed one. Advances `i` past its values.
bool parseBusOption(const std::string& arg, int argc, const char* const argv[], int& i, BusCliOptions& options,
                    std::string& error, bool& matched);

} // namespace cli
} // namespace z2e
