#include "driver_config.h"

#include <pugixml.hpp>

#include "file_util.h"
#include "simulation_reader.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

bool validMode(const std::string& mode)
{
    return mode == "SIMMODE_NORMAL" || mode == "SIMMODE_OFF" || mode == "SIMMODE_FORCE";
}

// The older switch, used when SimulationMode is absent.
std::string modeFromEnabled(const std::string& enabled)
{
    if (xml_util::equalsNoCase(enabled, "force"))
        return "SIMMODE_FORCE";
    if (xml_util::equalsNoCase(enabled, "false"))
        return "SIMMODE_OFF";
    return "SIMMODE_NORMAL";
}

void readLogger(const pugi::xml_node& logger, LoggerSettings& out)
{
    if (!logger)
        return;
    if (logger.child("LogLevel"))
        out.level = xml_util::text(logger, "LogLevel");
    if (logger.child("LogAppend"))
        out.append = xml_util::text(logger, "LogAppend");
    out.logFile = xml_util::text(logger, "LogFile");
    out.cmdLogFile = xml_util::text(logger, "CmdLogFile");
}

} // namespace

DriverConfig DriverConfig::load(const std::string& path)
{
    std::string text;
    if (!file_util::isFile(path)) {
        DriverConfig config;
        config.valid = true;
        return config;
    }
    if (!file_util::readFile(path, text)) {
        DriverConfig config;
        config.found = true;
        config.error = "cannot read " + path;
        return config;
    }
    DriverConfig config = parse(text);
    config.found = true;
    return config;
}

DriverConfig DriverConfig::parse(const std::string& text)
{
    DriverConfig config;
    pugi::xml_document doc;
    if (!xml_util::parse(text, doc, config.error))
        return config;
    const pugi::xml_node configuration = doc.child("zmpxi_api_config").child("Configuration");
    if (!configuration) {
        config.error = "no zmpxi_api_config/Configuration element";
        return config;
    }
    readLogger(configuration.child("Logger"), config.logger);
    const pugi::xml_node simulation = configuration.child("Simulation");
    if (simulation.child("SimulationMode")) {
        config.simulationMode = xml_util::text(simulation, "SimulationMode");
        if (!validMode(config.simulationMode)) {
            config.error = "SimulationMode \"" + config.simulationMode + "\" is not a known mode";
            config.simulationMode = "SIMMODE_NORMAL";
            return config;
        }
    } else {
        config.simulationMode = modeFromEnabled(xml_util::text(simulation, "Enabled"));
    }
    const SimulationReader reader(SimulationReader::Mode::Configuration);
    if (!reader.read(simulation.child("SimulatedEnclosures"), simulation.child("SimulatedBoards"), config.simulation,
                     config.error)) {
        return config;
    }
    config.valid = true;
    return config;
}

} // namespace zmpxi_sim
