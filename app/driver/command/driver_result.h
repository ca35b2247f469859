#pragma once
// What a result of a driver, a node or the network client means to the program. Callers decide
// on the meaning, never on raw codes: the codes of the driver, the network client and the
// platform stay known to the command layer alone.

#include <cstdint>
#include <string>

namespace z2e {

enum class ResultMeaning {
    Ok,           ///< 0
    Warning,      ///< below 0: the call did its work
    Failed,       ///< any other failure
    NotLoaded,    ///< the driver library or one of its entry points is missing
    HardwareBusy, ///< another program holds the hardware
    Timeout,      ///< a node gave no answer in time
    Unreachable,  ///< no connection to a node, or it closed or refused it
};

class DriverResult {
public:
    static ResultMeaning meaningOf(std::int32_t result);
    /// Ok or Warning: the call did its work.
    static bool succeeded(std::int32_t result) { return result <= 0; }

    /// The code the program reports for a fact it finds itself (no node answered a scan in time:
    /// Timeout); meaningOf gives the meaning back.
    static std::int32_t codeOf(ResultMeaning meaning);
    /// The node's answer came damaged or unusable (a digest mismatch, no usable answer).
    static bool answerDamaged(std::int32_t result);
    /// A failure of the link to a node (no answer, no connection, a damaged answer), not of
    /// the request: asking the node anything else now fails the same way.
    static bool linkFailed(std::int32_t result);
    /// The network client's name of a code of its own ("ERR_UNI_OSAL_ETIMEOUT").
    static std::string networkName(std::int32_t result);
};

} // namespace z2e
