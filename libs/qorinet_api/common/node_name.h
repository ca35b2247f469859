#pragma once
// What a node's name may be. Names travel in the node's scan answers, which must fit one
// datagram, and end up in other programs' lists; the client, the node simulator and the
// rename dialog all judge them here.

#include <cstddef>
#include <string>

namespace qorinet_api {

class NodeName {
public:
    enum class Check { Ok, TooLong, BadCharacter };

    static constexpr std::size_t kMaxLength = 18;

    /// At most kMaxLength characters (UTF-8; any language), none of them a control character;
    /// broken UTF-8 and control characters are reported before the length.
    static Check check(const std::string& name);
};

} // namespace qorinet_api
