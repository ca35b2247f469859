#pragma once
// What an enclosure's model name tells about it. A driver describes an enclosure by its name,
// counts and data, not by its kind, so the tree's pictures and the enclosure tool both read
// the kind from the name.

#include <string>

namespace z2e {

class EnclosureModelName {
public:
    /// The computer itself ("Host PC"): it has no enclosure data memory.
    static bool isHostComputer(const std::string& name);
    /// A network node ("QORINet ..."), also when its driver runs on this computer.
    static bool isNetworkNode(const std::string& name);
};

} // namespace z2e
