#include "core/node_result_text.h"

#include "core/application_status.h"
#include "core/driver_library.h"
#include "core/json_text.h"
#include "driver/command/app_status.h"
#include "driver/command/driver_result.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/osal.h"

namespace z2e {

std::string nodeResultText(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    std::string text;
    if (DriverLibrary::resultText(result, text))
        return text;
    if (DriverResult::meaningOf(result) == ResultMeaning::NotLoaded)
        return "driver library or entry point not loaded";
    // Network failures of a remote node; the node's driver knows nothing of them.
    if (result >= uni::osal::ERR_UNI_OSAL_BASE && result <= uni::osal::ERR_UNI_OSAL_ECOMMAND)
        return uni::osal::errorName(result);
    if (result == qorinet_api::ERR_QORINET_NODE_TAINTED)
        return "network node tainted";
    if (node && node->resultText(result, text))
        return text;
    return "unknown result";
}

std::string resultWords(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    const char* words = nullptr;
    switch (result) {
    case uni::osal::ERR_UNI_OSAL_ETIMEOUT: words = "no answer within 1 s"; break;
    case uni::osal::ERR_UNI_OSAL_EBUSY: words = "the node kept saying it was busy but never answered"; break;
    case uni::osal::ERR_UNI_OSAL_ECHECKSUM: words = "answer damaged (digest mismatch)"; break;
    case uni::osal::ERR_UNI_OSAL_EFORMAT: words = "answer cut short or malformed, connection closed"; break;
    case uni::osal::ERR_UNI_OSAL_ESOCKET: words = "connection refused by the node"; break;
    case uni::osal::ERR_UNI_OSAL_ECONNECTION: words = "not connected to the node"; break;
    case uni::osal::ERR_UNI_OSAL_ERROR: words = "the node gave no usable answer"; break;
    case uni::osal::ERR_UNI_OSAL_ENOT_IMPL: words = "the node does not offer this"; break;
    case qorinet_api::ERR_QORINET_NODE_TAINTED: words = "the node stopped answering scans"; break;
    default: break;
    }
    return words ? std::string(words) : nodeResultText(result, node);
}

std::string nextStep(std::int32_t result)
{
    if (DriverResult::answerDamaged(result))
        return "the link or the node's server damages answers: restart the node's server (zamo2ctl --node ADDRESS "
               "node restart-server) and try again";
    if (result == uni::osal::ERR_UNI_OSAL_EBUSY)
        return "its server may be stuck: restart it (zamo2ctl --node ADDRESS node restart-server), or allow the "
               "command more time (--timeout), then try again";
    switch (DriverResult::meaningOf(result)) {
    case ResultMeaning::Timeout:
        return "check that the node is on and reachable (zamo2ctl nodes lists those that answer), then try again";
    case ResultMeaning::Unreachable:
        return "check the node's network cable and address (zamo2ctl nodes), then try again";
    case ResultMeaning::HardwareBusy: return "close the other program that uses the boards, then try again";
    case ResultMeaning::NotLoaded: return "install the driver library (docs/install.md), then try again";
    default: return {};
    }
}

std::string nodeUnreadableStep(std::int32_t result)
{
    if (DriverResult::answerDamaged(result))
        return "restart its server (Restart Node (WR)) and choose it again";
    if (result == uni::osal::ERR_UNI_OSAL_EBUSY)
        return "its server may be stuck: restart it (Restart Node (WR)) and choose it again";
    switch (DriverResult::meaningOf(result)) {
    case ResultMeaning::Timeout: return "check that it is on and reachable, then choose it again";
    case ResultMeaning::Unreachable: return "check its cable and address (Change Node IP), then choose it again";
    default: return "check the node's power, cable and address (Net Settings; Change Node IP)";
    }
}

std::string failureWords(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    return resultWords(result, node) + " (" + std::to_string(result) + ")";
}

namespace {

/// The statuses the command layer puts in place of a driver failure.
const char* mappedStatusWords(std::int32_t status)
{
    switch (status) {
    case AppStatus::VersionsFailed: return "the driver's versions could not be read";
    case AppStatus::BoardListingFailed: return "the list of boards could not be read";
    case AppStatus::EnclosureListingFailed: return "the list of enclosures could not be read";
    case AppStatus::BoardPropertiesFailed: return "the board's properties could not be read";
    case AppStatus::BaseEepromFailed: return "the board's base EEPROM could not be read";
    case AppStatus::FirmwareCheckFailed: return "the board's firmware could not be checked";
    case AppStatus::BoardKeyFailed: return "the board's key could not be read";
    case AppStatus::VirtualBoardKeyFailed: return "the simulated board could not be made";
    case AppStatus::BoardOpenFailed: return "the board could not be opened";
    case AppStatus::EnclosurePropertiesFailed: return "the enclosure's properties could not be read";
    case AppStatus::NotReady: return "the system is not ready: it was not read, or its link was closed";
    default: return nullptr;
    }
}

} // namespace

std::string statusWords(std::int32_t status, const QorinNodeUtilWrapper* node)
{
    if (DriverResult::linkFailed(status))
        return failureAdvice(status, node);
    if (const char* words = mappedStatusWords(status)) {
        const std::int32_t cause = node ? node->lastCause() : 0;
        if (cause == 0)
            return words;
        return std::string(words) + ": " +
               (DriverResult::linkFailed(cause) ? failureAdvice(cause, node) : failureWords(cause, node));
    }
    if (statusKnown(status))
        return oneLine(statusMessage(status));
    return nodeResultText(status, node);
}

std::string terminalText(const std::string& text)
{
    // A lone 0x9B is a CSI to some terminals: broken UTF-8 goes first, then the controls.
    const std::string valid = validUtf8(text);
    std::string out;
    out.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const unsigned char u = static_cast<unsigned char>(valid[i]);
        const bool c1 = u == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) < 0xA0;
        const bool control = (u < 0x20 && u != '\t' && u != '\n') || u == 0x7f || c1;
        out += control ? '?' : valid[i];
        i += c1 ? 1 : 0;
    }
    return out;
}

std::string oneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        if (c != '\r')
            line += c == '\n' ? ' ' : c;
    }
    return terminalText(line);
}

std::string failureAdvice(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    const std::string next = nextStep(result);
    return failureWords(result, node) + (next.empty() ? "" : "; " + next);
}

} // namespace z2e
