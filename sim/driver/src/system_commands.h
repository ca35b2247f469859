#pragma once
// The string commands on fixed targets: "System", "System/Config", "driver/api" and its
// configuration targets, the listings, "virtualboard" and "virtualenclosure".

#include <cstdint>
#include <string>

#include "command_context.h"

namespace zmpxi_sim {

class SystemCommands {
public:
    explicit SystemCommands(CommandContext& context);

    std::int32_t get(const std::string& target, const std::string& item, std::string& answer);
    std::int32_t set(const std::string& target, const std::string& item, const std::string& value);

    /// The simulation mode that an initialisation would use now.
    static std::string effectiveMode(const DriverParams& params, const std::string& configuredMode);

private:
    std::int32_t getListing(const std::string& target, const std::string& item, std::string& answer);
    std::int32_t getVirtualBoard(const std::string& item, std::string& answer);
    std::int32_t getVirtualEnclosure(const std::string& item, std::string& answer);
    std::int32_t setParameter(const std::string& target, const std::string& item, const std::string& value);
    std::int32_t describeBoard(const std::string& value, std::shared_ptr<SimBoard>& board);
    std::int32_t describeEnclosure(const std::string& value, std::shared_ptr<SimEnclosure>& enclosure);

    CommandContext& m_context;
};

} // namespace zmpxi_sim
