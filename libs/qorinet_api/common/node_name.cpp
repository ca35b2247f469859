#include "qorinet_api/common/node_name.h"

namespace qorinet_api {

NodeName::Check NodeName::check(const std::string& name)
{
    // Counted in bytes: any byte beyond ASCII is refused anyway.
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7e)
            return Check::BadCharacter;
    }
    return name.size() > kMaxLength ? Check::TooLong : Check::Ok;
}

} // namespace qorinet_api
