#pragma once
// The string and integer commands on a board target ("BoardID<n>[/suffix]").

#include <cstdint>
#include <string>

#include "command_context.h"

namespace zmpxi_sim {

class BoardCommands {
public:
    BoardCommands(CommandContext& context, SimBoard& board);

    std::int32_t get(const std::string& suffix, const std::string& item, std::string& answer);
    std::int32_t set(const std::string& suffix, const std::string& item, const std::string& value);
    std::int32_t setInt(std::int32_t command, std::int64_t value);
    std::int32_t getInt(std::int32_t command, std::int64_t& value);

private:
    std::int32_t getPlain(const std::string& item, std::string& answer);
    std::int32_t getCalibration(const std::string& item, std::string& answer);
    std::int32_t eepromDocument(bool base, std::string& answer) const;
    std::int32_t revision(bool base, std::string& answer) const;
    std::string storedResult(const std::string& key, const char* root);

    CommandContext& m_context;
    SimBoard& m_board;
};

} // namespace zmpxi_sim
