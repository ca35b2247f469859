#include "core/node_result_text.h"

#include "core/driver_library.h"
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

std::string failureWords(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    const char* words = nullptr;
    switch (result) {
    case uni::osal::ERR_UNI_OSAL_ETIMEOUT: words = "no answer within 1 s"; break;
    case uni::osal::ERR_UNI_OSAL_ECHECKSUM: words = "answer damaged (digest mismatch)"; break;
    case uni::osal::ERR_UNI_OSAL_EFORMAT: words = "connection closed by the node"; break;
    case uni::osal::ERR_UNI_OSAL_ESOCKET: words = "connection refused by the node"; break;
    case uni::osal::ERR_UNI_OSAL_ECONNECTION: words = "not connected to the node"; break;
    case uni::osal::ERR_UNI_OSAL_ERROR: words = "the node gave no usable answer"; break;
    case qorinet_api::ERR_QORINET_NODE_TAINTED: words = "the node stopped answering scans"; break;
    default: break;
    }
    const std::string text = words ? std::string(words) : nodeResultText(result, node);
    return text + " (" + std::to_string(result) + ")";
}

} // namespace z2e
