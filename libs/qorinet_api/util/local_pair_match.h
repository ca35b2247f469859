#pragma once
// Which local address pair reaches a remote address: the first pair whose network equals the
// remote address masked with the remote mask (or, when that is 0, with the pair's own mask).

#include "uni/ip_address_pair.h"

#include <optional>

namespace qorinet_api {
namespace util {

/// The matching pair of `local`, in list order; nullopt when none matches or `remote` is invalid.
std::optional<uni::ipv4::IpAddressPair> matchLocalPair(const uni::ipv4::IpAddressPairList& local,
                                                       const uni::ipv4::IpAddressPair& remote);

} // namespace util
} // namespace qorinet_api
