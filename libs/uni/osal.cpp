#include "uni/osal.h"

namespace uni {
namespace osal {

const char* errorName(std::int32_t code)
{
    static const char* const names[] = {
        "ERR_UNI_OSAL_BASE",      "ERR_UNI_OSAL_EHANDLE",       "ERR_UNI_OSAL_ECONNECTION", "ERR_UNI_OSAL_EINIT",
        "ERR_UNI_OSAL_EOBJECT",   "ERR_UNI_OSAL_EARG",          "ERR_UNI_OSAL_EALLOC",      "ERR_UNI_OSAL_EBUSY",
        "ERR_UNI_OSAL_ETIMEOUT",  "ERR_UNI_OSAL_ERROR",         "ERR_UNI_OSAL_EAGAIN",      "ERR_UNI_OSAL_EEXIST",
        "ERR_UNI_OSAL_ENOT_IMPL", "ERR_UNI_OSAL_ENOPERMISSION", "ERR_UNI_OSAL_ENODATA",     "ERR_UNI_OSAL_EFORMAT",
        "ERR_UNI_OSAL_ESOCKET",   "ERR_UNI_OSAL_EACCESS",       "ERR_UNI_OSAL_EINTERUPTED", "ERR_UNI_OSAL_ECHECKSUM",
        "ERR_UNI_OSAL_ECOMMAND",
    };
    if (code == ERR_UNI_OSAL_OK)
        return "ERR_UNI_OSAL_OK";
    if (code < ERR_UNI_OSAL_BASE || code > ERR_UNI_OSAL_ECOMMAND)
        return "ERR_UNKNOWN";
    return names[code - ERR_UNI_OSAL_BASE];
}

} // namespace osal
} // namespace uni
