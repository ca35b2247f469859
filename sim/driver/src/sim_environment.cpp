#include "sim_environment.h"

#include <cstdlib>

#include "file_util.h"

namespace zmpxi_sim {
namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string defaultConfigDir()
{
    const std::string explicitDir = variable("ZMPXI_API_CONFIG_DIR");
    if (!explicitDir.empty())
        return explicitDir;
    const std::string xdg = variable("XDG_CONFIG_HOME");
    if (!xdg.empty())
        return file_util::join(xdg, "zmpxi_api");
    const std::string home = variable("HOME");
    if (!home.empty())
        return file_util::join(home, ".config/zmpxi_api");
    return "/tmp/zmpxi_api";
}

double speedFactor()
{
    const std::string text = variable("ZMPXI_SIM_SPEED");
    if (text.empty())
        return 1.0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(value > 0.0) || value > 1e9)
        return 1.0;
    return value;
}

} // namespace

SimEnvironment SimEnvironment::fromProcess()
{
    SimEnvironment env;
    env.configDir = defaultConfigDir();
    env.stateDir = variable("ZMPXI_SIM_STATE_DIR");
    if (env.stateDir.empty())
        env.stateDir = file_util::join(env.configDir, "state");
    const std::string runtime = variable("XDG_RUNTIME_DIR");
    env.runtimeDir = runtime.empty() ? env.stateDir : file_util::join(runtime, "zmpxi_api");
    env.logDir = file_util::join(env.configDir, "log");
    env.hardwareFile = variable("ZMPXI_SIM_HARDWARE");
    env.speed = speedFactor();
    env.bus = variable("ZMPXI_SIM_BUS");
    return env;
}

std::string SimEnvironment::configFile() const
{
    return file_util::join(configDir, "zmpxi_api_config.xml");
}

} // namespace zmpxi_sim
