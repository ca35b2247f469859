#pragma once
// Result codes of the platform library. Functions return 0 or a negative code -n; callers of the
// node interface see 700000 + n.

#include <cstdint>

namespace uni {
namespace osal {

enum : std::int32_t {
    ERR_UNI_OSAL_OK = 0,
    ERR_UNI_OSAL_BASE = 700000,
    ERR_UNI_OSAL_EHANDLE = 700001,
    ERR_UNI_OSAL_ECONNECTION = 700002,
    ERR_UNI_OSAL_EINIT = 700003,
    ERR_UNI_OSAL_EOBJECT = 700004,
    ERR_UNI_OSAL_EARG = 700005,
    ERR_UNI_OSAL_EALLOC = 700006,
    ERR_UNI_OSAL_EBUSY = 700007,
    ERR_UNI_OSAL_ETIMEOUT = 700008,
    ERR_UNI_OSAL_ERROR = 700009,
    ERR_UNI_OSAL_EAGAIN = 700010,
    ERR_UNI_OSAL_EEXIST = 700011,
    ERR_UNI_OSAL_ENOT_IMPL = 700012,
    ERR_UNI_OSAL_ENOPERMISSION = 700013,
    ERR_UNI_OSAL_ENODATA = 700014,
    ERR_UNI_OSAL_EFORMAT = 700015,
    ERR_UNI_OSAL_ESOCKET = 700016,
    ERR_UNI_OSAL_EACCESS = 700017,
    ERR_UNI_OSAL_EINTERUPTED = 700018,
    ERR_UNI_OSAL_ECHECKSUM = 700019,
    ERR_UNI_OSAL_ECOMMAND = 700020,
};

/// Socket results as returned by uni::Socket and its subclasses (negated offsets of the table).
enum : int {
    SOCK_EHANDLE = -1,    ///< closed or invalid socket
    SOCK_ENOBUF = -4,     ///< no buffer given
    SOCK_ETIMEOUT = -8,   ///< time-out or would block
    SOCK_ERECV = -9,      ///< any other receive error
    SOCK_EINTR = -10,     ///< interrupted
    SOCK_EFORMAT = -15,   ///< malformed frame
    SOCK_ESOCKET = -16,   ///< create, bind, listen or connect failed
    SOCK_ECHECKSUM = -19, ///< digest mismatch
};

/// Turns a library result -n into the node-level code 700000 + n; 0 stays 0.
inline std::int32_t toNodeCode(int result)
{
    return result < 0 ? ERR_UNI_OSAL_BASE - result : result;
}

/// Name of a code of the table ("ERR_UNI_OSAL_OK" … "ERR_UNI_OSAL_ECOMMAND"), else "ERR_UNKNOWN".
const char* errorName(std::int32_t code);

} // namespace osal
} // namespace uni
