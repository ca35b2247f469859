#pragma once
// Options of zamo2ctl's enclosure, crossgrade, features and channel-module commands.

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {
namespace cli {

struct EnclosureCliOptions {
    std::string type;                 ///< enclosure write --type; empty: keep
    std::string version;              ///< enclosure write --version; empty: keep
    std::vector<std::string> options; ///< enclosure write --option NAME=VALUE, in order
    bool userDataGiven = false;       ///< enclosure write --user-data
    std::string userData;
    bool clearUserData = false;  ///< enclosure write --clear-user-data
    std::string to;              ///< crossgrade --to ID
    std::int32_t enclosure = -1; ///< channel-module --enc E
    std::int32_t slot = -1;      ///< channel-module --slot S
};

/// Takes `arg` when it is one of these options (`matched`); false with `error` set for a
/// malformed one. Advances `i` past a separate value.
bool parseEnclosureOption(const std::string& arg, int argc, const char* const argv[], int& i,
                          EnclosureCliOptions& options, std::string& error, bool& matched);

} // namespace cli
} // namespace z2e
