#include "qorinet_api/util/local_pair_match.h"

namespace qorinet_api {
namespace util {

std::optional<uni::ipv4::IpAddressPair> matchLocalPair(const uni::ipv4::IpAddressPairList& local,
                                                       const uni::ipv4::IpAddressPair& remote)
{
    const auto remoteAddress = remote.addressValue();
    if (!remoteAddress)
        return std::nullopt;
    for (const auto& pair : local) {
        const auto address = pair.addressValue();
        if (!address)
            continue;
        const std::uint32_t mask = remote.netmask() != 0 ? remote.netmask() : pair.netmask();
        if ((*address & pair.netmask()) == (*remoteAddress & mask))
            return pair;
    }
    return std::nullopt;
}

} // namespace util
} // namespace qorinet_api
