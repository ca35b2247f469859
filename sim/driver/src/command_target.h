#pragma once
// A target text of the string commands: "BoardID<n>[/suffix]", "EnclosureId<n>[/suffix]"
// or one of the fixed targets.

#include <string>

namespace zmpxi_sim {

struct CommandTarget {
    enum class Kind { Board, Enclosure, Fixed, Invalid };

    Kind kind = Kind::Invalid;
    int index = -1;
    std::string suffix; ///< text after the first '/', empty when none
    std::string text;   ///< the whole target as given

    /// Board and enclosure prefixes are matched ignoring case; an index must follow.
    static CommandTarget parse(const std::string& target);
};

} // namespace zmpxi_sim
