#pragma once
// The driver: one process-wide object behind the exported entry points. Every call takes
// the driver-wide mutex; long operations may give it up while simulated time passes.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "command_context.h"
#include "driver_config.h"
#include "hardware_lock.h"

namespace zmpxi_sim {

class SimDriver {
public:
    static SimDriver& instance();

    /// Reads configuration and hardware description and builds the system. The board count
    /// is negative for simulated boards.
    std::int32_t init(std::int32_t* boardCount);
    std::int32_t deinit();

    std::int32_t getText(const std::string& target, const std::string& item, std::string& answer);
    std::int32_t setText(const std::string& target, const std::string& item, const std::string& value);
    std::int32_t getInt(std::int32_t board, std::int32_t command, std::int64_t& value);
    std::int32_t setInt(std::int32_t board, std::int32_t command, std::int64_t value);

    /// Runs `action(board, nowUs)` on board `index` under the driver lock.
    template <class Action>
    std::int32_t withBoard(std::int32_t index, Action action)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const std::shared_ptr<SimBoard> board = m_system ? m_system->board(index) : nullptr;
        if (!board)
            return boardMissing();
        return action(*board, m_clock.nowUs());
    }

private:
    SimDriver() = default;

    const DriverConfig& loadConfig();
    /// Takes ZMPXI_SIM_BUS over into every board's CAN and UART lines.
    void applyBusConditions();
    /// Sensors are live: the temperature faults of the hardware description are taken over
    /// when the file changed since they were read, without a new init.
    void followTemperatureFaults();
    void releaseSystem();
    bool work(std::unique_lock<std::mutex>& lock, std::uint64_t generation, double simulatedMs);
    CommandContext context(std::unique_lock<std::mutex>& lock);
    std::int32_t boardMissing() const;
    /// Runs `call(context)` under the driver lock and writes the command log line.
    template <class Call>
    std::int32_t logged(const char* kind, const std::string& target, const std::string& item, Call call);
    /// Runs `call(commands)` on the commands of board `index`.
    template <class Call>
    std::int32_t onBoard(CommandContext& ctx, std::int32_t index, Call call);
    /// Runs `call(commands, name)` on the board, enclosure or system commands the target names;
    /// `name` is a board's or enclosure's suffix, or the whole fixed target.
    template <class Call>
    std::int32_t onTarget(CommandContext& ctx, const std::string& target, Call call);
    void logCommand(const char* kind, const std::string& target, const std::string& item, std::int32_t result);

    std::mutex m_mutex;
    SimEnvironment m_env = SimEnvironment::fromProcess();
    SimClock m_clock;
    DriverLog m_log;
    DriverParams m_params;
    VirtualModels m_virtuals;
    HardwareLock m_hardwareLock;
    std::shared_ptr<SimSystem> m_system;
    std::uint64_t m_generation = 0;
    int m_initBusyAnswered = 0;
    std::string m_hardwareStamp;    ///< the busy answers start again when the description changes
    std::string m_temperatureStamp; ///< the description whose temperature faults are in force

    // The configuration as last read, reused while the file is unchanged and caching is allowed.
    DriverConfig m_config;
    std::string m_configStamp;
};

} // namespace zmpxi_sim
