#include "sim_driver.h"

#include <sys/stat.h>

#include <thread>

#include "board_commands.h"
#include "bus_conditions.h"
#include "command_target.h"
#include "enclosure_commands.h"
#include "file_util.h"
#include "hardware_description.h"
#include "result_codes.h"
#include "system_commands.h"

namespace zmpxi_sim {
namespace {

// Identifies one version of a file well enough to notice that it changed.
std::string fileStamp(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "missing";
    return path + ":" + std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

} // namespace

SimDriver& SimDriver::instance()
{
    static SimDriver driver;
    return driver;
}

std::int32_t SimDriver::init(std::int32_t* boardCount)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!boardCount)
        return rc::paramInvalid;
    *boardCount = 0;
    releaseSystem();
    m_env = SimEnvironment::fromProcess();
    m_clock = SimClock(m_env.speed);
    file_util::makeDirectories(m_env.configDir);

    const DriverConfig& config = loadConfig();
    if (config.valid) {
        m_log.configure(config.logger, m_env.logDir);
    } else {
        m_log.useStandardError();
        m_log.write(DriverLog::Level::Error, "configuration " + m_env.configFile() + " is malformed (" + config.error +
                                                 "); no simulated boards");
    }

    HardwareDescription hardware;
    if (!m_env.hardwareFile.empty()) {
        hardware = HardwareDescription::load(m_env.hardwareFile);
        if (!hardware.valid)
            m_log.write(DriverLog::Level::Error, "hardware description " + m_env.hardwareFile + " is malformed (" +
                                                     hardware.error + "); no hardware boards");
    }
    const std::string hardwareStamp = fileStamp(m_env.hardwareFile);
    if (hardwareStamp != m_hardwareStamp) {
        m_hardwareStamp = hardwareStamp;
        m_initBusyAnswered = 0;
    }
    if (m_initBusyAnswered < hardware.faults.initBusy) {
        ++m_initBusyAnswered;
        m_log.write(DriverLog::Level::Warning, "hardware busy (simulated fault)");
        return rc::hardwareAlreadyInUse;
    }

    const std::string mode = SystemCommands::effectiveMode(m_params, config.simulationMode);
    const bool hardwarePresent =
        hardware.valid && (!hardware.hardware.boards.empty() || !hardware.hardware.enclosures.empty());
    const bool simulate = mode == "SIMMODE_FORCE" || (mode == "SIMMODE_NORMAL" && !hardwarePresent);
    if (!simulate && hardwarePresent) {
        const HardwareLock::Outcome outcome = m_hardwareLock.acquire(m_env.runtimeDir);
        if (outcome == HardwareLock::Outcome::HeldElsewhere) {
            m_log.write(DriverLog::Level::Warning, "hardware is in use by another process");
            return rc::hardwareAlreadyInUse;
        }
        if (outcome == HardwareLock::Outcome::Unavailable)
            m_log.write(DriverLog::Level::Warning, "cannot make the hardware lock in " + m_env.runtimeDir);
    }

    auto store = std::make_shared<StateStore>(m_env.stateDir);
    const SimulationSection empty;
    const SimulationSection& section = simulate ? config.simulation : hardwarePresent ? hardware.hardware : empty;
    m_system = SimSystem::build(section, simulate, store, m_log);
    m_system->faults() = hardware.faults;
    applyBusConditions();
    m_temperatureStamp = hardwareStamp;
    ++m_generation;

    const auto count = static_cast<std::int32_t>(m_system->boards().size());
    *boardCount = simulate ? -count : count;
    m_log.write(DriverLog::Level::Debug, std::string("initialised: ") + std::to_string(count) +
                                             (simulate ? " simulated" : " hardware") + " boards, mode " + mode);
    return hardware.faults.initWarning < 0 ? hardware.faults.initWarning : rc::ok;
}

void SimDriver::applyBusConditions()
{
    std::string error;
    const BusConditions conditions = BusConditions::parse(m_env.bus, error);
    if (!error.empty())
        m_log.write(DriverLog::Level::Error, "ZMPXI_SIM_BUS ignored: " + error);
    for (const std::shared_ptr<SimBoard>& board : m_system->boards()) {
        board->can().setConditions(conditions);
        board->uart().setConditions(conditions);
    }
}

std::int32_t SimDriver::deinit()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    releaseSystem();
    return rc::ok;
}

void SimDriver::followTemperatureFaults()
{
    if (!m_system || m_system->simulated() || m_env.hardwareFile.empty())
        return;
    const std::string stamp = fileStamp(m_env.hardwareFile);
    if (stamp == m_temperatureStamp)
        return;
    m_temperatureStamp = stamp;
    const HardwareDescription hardware = HardwareDescription::load(m_env.hardwareFile);
    if (!hardware.valid)
        return;
    for (const BoardEntry& entry : hardware.hardware.boards) {
        for (const std::shared_ptr<SimBoard>& board : m_system->boards()) {
            if (board->entry().serialNumber == entry.serialNumber)
                board->setTemperatureFaults(entry.faults.baseTemp, entry.faults.conTemp);
        }
    }
}

void SimDriver::releaseSystem()
{
    if (m_system)
        ++m_generation;
    m_system.reset();
    m_hardwareLock.release();
}

const DriverConfig& SimDriver::loadConfig()
{
    const std::string path = m_env.configFile();
    const std::string stamp = fileStamp(path);
    if (m_params.allowCachedMerge == "true" && stamp == m_configStamp)
        return m_config;
    m_config = DriverConfig::load(path);
    m_configStamp = stamp;
    return m_config;
}

bool SimDriver::work(std::unique_lock<std::mutex>& lock, std::uint64_t generation, double simulatedMs)
{
    const auto duration = m_clock.realDuration(simulatedMs);
    // With worker threads enabled other calls go on while a board is busy.
    const bool release = m_params.threadEnabled == "true";
    if (release)
        lock.unlock();
    std::this_thread::sleep_for(duration);
    if (release)
        lock.lock();
    return m_generation == generation;
}

CommandContext SimDriver::context(std::unique_lock<std::mutex>& lock)
{
    if (!m_system)
        m_env = SimEnvironment::fromProcess(); // the folders may be asked for before the first init
    const std::uint64_t generation = m_generation;
    return CommandContext{m_system, m_log, m_env, m_params, m_virtuals, m_clock, [this, &lock, generation](double ms) {
                              return work(lock, generation, ms);
                          }};
}

std::int32_t SimDriver::boardMissing() const
{
    return rc::boardNoNotValid;
}

template <class Call>
std::int32_t SimDriver::logged(const char* kind, const std::string& target, const std::string& item, Call call)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    CommandContext ctx = context(lock);
    const std::int32_t result = call(ctx);
    logCommand(kind, target, item, result);
    return result;
}

template <class Call>
std::int32_t SimDriver::onBoard(CommandContext& ctx, std::int32_t index, Call call)
{
    const std::shared_ptr<SimBoard> board = m_system ? m_system->board(index) : nullptr;
    if (!board)
        return boardMissing();
    BoardCommands commands(ctx, *board);
    return call(commands);
}

template <class Call>
std::int32_t SimDriver::onTarget(CommandContext& ctx, const std::string& target, Call call)
{
    const CommandTarget parsed = CommandTarget::parse(target);
    if (parsed.kind == CommandTarget::Kind::Board)
        return onBoard(ctx, parsed.index, [&](BoardCommands& commands) { return call(commands, parsed.suffix); });
    if (parsed.kind == CommandTarget::Kind::Enclosure) {
        const std::shared_ptr<SimEnclosure> enclosure = m_system ? m_system->enclosure(parsed.index) : nullptr;
        if (!enclosure)
            return rc::enclosureNoNotValid;
        EnclosureCommands commands(ctx, *enclosure);
        return call(commands, parsed.suffix);
    }
    if (parsed.kind == CommandTarget::Kind::Fixed) {
        SystemCommands commands(ctx);
        return call(commands, target);
    }
    return rc::targetUnknown;
}

std::int32_t SimDriver::getText(const std::string& target, const std::string& item, std::string& answer)
{
    return logged("get", target, item, [&](CommandContext& ctx) {
        if (item == "BaseTemp" || item == "ConTemp")
            followTemperatureFaults();
        return onTarget(ctx, target,
                        [&](auto& commands, const std::string& name) { return commands.get(name, item, answer); });
    });
}

std::int32_t SimDriver::setText(const std::string& target, const std::string& item, const std::string& value)
{
    return logged("set", target, item, [&](CommandContext& ctx) {
        return onTarget(ctx, target,
                        [&](auto& commands, const std::string& name) { return commands.set(name, item, value); });
    });
}

std::int32_t SimDriver::getInt(std::int32_t board, std::int32_t command, std::int64_t& value)
{
    return logged("getint", "BoardID" + std::to_string(board), std::to_string(command), [&](CommandContext& ctx) {
        return onBoard(ctx, board, [&](BoardCommands& commands) { return commands.getInt(command, value); });
    });
}

std::int32_t SimDriver::setInt(std::int32_t board, std::int32_t command, std::int64_t value)
{
    return logged("setint", "BoardID" + std::to_string(board), std::to_string(command), [&](CommandContext& ctx) {
        return onBoard(ctx, board, [&](BoardCommands& commands) { return commands.setInt(command, value); });
    });
}

void SimDriver::logCommand(const char* kind, const std::string& target, const std::string& item, std::int32_t result)
{
    m_log.command(std::string(kind) + " " + target + " " + item.substr(0, 80) + " -> " + resultText(result));
}

} // namespace zmpxi_sim
