#include "driver/command/driver_result.h"

#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/osal.h"

namespace z2e {

ResultMeaning DriverResult::meaningOf(std::int32_t result)
{
    if (result == 0)
        return ResultMeaning::Ok;
    if (result < 0)
        return ResultMeaning::Warning;
    switch (result) {
    case 2: return ResultMeaning::NotLoaded;
    case qorinet_api::ERR_HARDWARE_ALREADY_IN_USE: return ResultMeaning::HardwareBusy;
    case uni::osal::ERR_UNI_OSAL_ETIMEOUT:
    case uni::osal::ERR_UNI_OSAL_EBUSY: return ResultMeaning::Timeout;
    case uni::osal::ERR_UNI_OSAL_ECONNECTION:
    case uni::osal::ERR_UNI_OSAL_ESOCKET:
    case uni::osal::ERR_UNI_OSAL_EFORMAT:
    case qorinet_api::ERR_QORINET_NODE_TAINTED: return ResultMeaning::Unreachable;
    default: return ResultMeaning::Failed;
    }
}

std::int32_t DriverResult::codeOf(ResultMeaning meaning)
{
    switch (meaning) {
    case ResultMeaning::Ok: return 0;
    case ResultMeaning::Warning: return -1;
    case ResultMeaning::NotLoaded: return 2;
    case ResultMeaning::HardwareBusy: return qorinet_api::ERR_HARDWARE_ALREADY_IN_USE;
    case ResultMeaning::Timeout: return uni::osal::ERR_UNI_OSAL_ETIMEOUT;
    case ResultMeaning::Unreachable: return uni::osal::ERR_UNI_OSAL_ECONNECTION;
    case ResultMeaning::Failed: break;
    }
    return uni::osal::ERR_UNI_OSAL_ERROR;
}

bool DriverResult::answerDamaged(std::int32_t result)
{
    return result == uni::osal::ERR_UNI_OSAL_ECHECKSUM || result == uni::osal::ERR_UNI_OSAL_ERROR;
}

bool DriverResult::linkFailed(std::int32_t result)
{
    const ResultMeaning meaning = meaningOf(result);
    return meaning == ResultMeaning::Timeout || meaning == ResultMeaning::Unreachable || answerDamaged(result);
}

std::string DriverResult::networkName(std::int32_t result)
{
    return uni::osal::errorName(result);
}

} // namespace z2e
