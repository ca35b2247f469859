#pragma once
// The string commands on an enclosure target ("EnclosureId<n>[/suffix]"): descriptions
// and the enclosure data write sequence.

#include <cstdint>
#include <string>

#include "command_context.h"

namespace zmpxi_sim {

class EnclosureCommands {
public:
    EnclosureCommands(CommandContext& context, SimEnclosure& enclosure);

    std::int32_t get(const std::string& suffix, const std::string& item, std::string& answer);
    /// Every write lands in the enclosure's data memory at once; "StoreData" makes it permanent.
    std::int32_t set(const std::string& suffix, const std::string& item, const std::string& value);

private:
    std::int32_t setData(const std::string& item, const std::string& value);
    std::int32_t setOption(const std::string& item, const std::string& value);
    std::int32_t setProperty(const std::string& item, const std::string& value);

    CommandContext& m_context;
    SimEnclosure& m_enclosure;
};

} // namespace zmpxi_sim
