#include "core/node_result_text.h"

#include "core/driver_library.h"
#include "driver/command/qorin_node_util_wrapper.h"

#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/osal.h"

namespace z2e {

std::string nodeResultText(std::int32_t result, const QorinNodeUtilWrapper* node)
{
    std::string text;
    if (DriverLibrary::resultText(result, text))
        return text;
    if (result == 2)
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

} // namespace z2e
