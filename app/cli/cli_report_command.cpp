#include "cli_report_command.h"

#include "cli_demo_command.h"
#include "cli_output.h"
#include "cli_remote_session.h"

#include "config/output_destination.h"
#include "config/qorin_cfg_handler.h"
#include "core/application_status.h"
#include "core/driver_library.h"
#include "core/driver_logging.h"
#include "core/local_node_session.h"
#include "core/node_result_text.h"
#include "core/node_types.h"
#include "core/remote_system_builder.h"
#include "core/software_versions.h"
#include "core/system_model.h"
#include "core/system_report.h"
#include "driver/command/driver_result.h"
#include "tools/maintenance_journal.h"
#include "tools/report_contents.h"
#include "tools/report_package.h"
#include "tools/system_inventory.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

namespace z2e {
namespace cli {
namespace {

namespace fs = std::filesystem;

// The start-up scan of the window; a held hardware still leaves the demo system and the
// driver configuration usable.
std::int32_t startModel(const CliOptions& options, SystemModel& model)
{
    if (!options.driverPath.empty())
        DriverLibrary::useFile(options.driverPath);
    const std::int32_t status = model.initializeSystem();
    if (status != AppStatus::Ok)
        std::cerr << "zamo2ctl: start-up: " << status << " " << oneLine(statusMessage(status)) << "\n";
    warnConfigurationProblem(model);
    return status;
}

std::string indented(const std::string& text)
{
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        out += "    " + line + "\n";
    return out;
}

void printLogSettings(const DriverLogSettings& settings, const std::string& folder, bool json)
{
    const auto joined = [](const std::vector<std::string>& options) {
        std::string text;
        for (const std::string& option : options)
            text += (text.empty() ? "" : ", ") + option;
        return text;
    };
    Report report;
    report.add("file", settings.fileName);
    report.add("level", settings.level);
    report.add("type", settings.type);
    report.add("mode", settings.append);
    report.add("levels", joined(settings.levelOptions));
    report.add("types", joined(settings.typeOptions));
    report.add("modes", joined(settings.appendOptions));
    report.add("logFolder", folder);
    std::cout << report.render(json);
}

void printPackage(const ReportPackage& package, const std::string& destination, bool json)
{
    if (json) {
        std::cout << "{\"file\":" << jsonString(destination) << ",\"entries\":[";
        for (std::size_t i = 0; i < package.entries().size(); ++i)
            std::cout << (i ? "," : "") << "{\"name\":" << jsonString(package.entries()[i].name)
                      << ",\"size\":" << package.entries()[i].size << "}";
        std::cout << "],\"skipped\":[";
        for (std::size_t i = 0; i < package.skipped().size(); ++i)
            std::cout << (i ? "," : "") << jsonString(package.skipped()[i]);
        std::cout << "]}\n";
        return;
    }
    std::cout << "report package: " << destination << "\n";
    for (const ReportPackageEntry& entry : package.entries())
        std::cout << "  " << entry.name << "  " << entry.size << " bytes\n";
    for (const std::string& skipped : package.skipped())
        std::cout << "left out: " << skipped << "\n";
}

} // namespace

int versionsCommand(const CliOptions& options)
{
    LocalNodeSession session(options.driverPath, options.simulation.empty() ? "SIMMODE_FORCE" : options.simulation);
    std::vector<SoftwareVersionRecord> driverRecords;
    if (session.connected()) {
        std::string document;
        const std::int32_t result = session.wrapper().getSystemVersions(document);
        if (result != AppStatus::Ok || !SystemModel::parseSoftwareVersions(document, driverRecords))
            std::cerr << "zamo2ctl: the driver's versions could not be read: " << result << "\n";
    }
    const BuildIdentity build = buildIdentity();
    const std::vector<SoftwareVersionRecord> records =
        softwareVersionList(build, driverRecords, DriverLibrary::loaded());
    if (options.json) {
        std::cout << "{\"program\":" << jsonString(versionStory(build)) << ",\"package\":" << jsonString(build.package)
                  << ",\"versions\":[";
        for (std::size_t i = 0; i < records.size(); ++i)
            std::cout << (i ? "," : "") << "{\"component\":" << jsonString(records[i].description)
                      << ",\"fileName\":" << jsonString(records[i].fileName)
                      << ",\"version\":" << jsonString(records[i].version)
                      << ",\"comment\":" << jsonString(records[i].comment) << "}";
        std::cout << "]}\n";
        return EXIT_OK;
    }
    for (const SoftwareVersionRecord& record : records) {
        // The program's line tells the whole story, the package beside the version.
        const std::string version = &record == &records.front() ? versionStory(build) : record.version;
        std::cout << record.description << (record.fileName.empty() ? "" : " (" + record.fileName + ")") << "  "
                  << version << "\n"
                  << indented(record.comment);
    }
    return EXIT_OK;
}

int loggingCommand(const CliOptions& options)
{
    const std::string& action = options.arguments[0];
    const DriverLogChange change{options.logName, options.logLevel, options.logType, options.mode};
    const bool changes =
        !change.fileName.empty() || !change.level.empty() || !change.type.empty() || !change.append.empty();
    if (action != "show" && action != "set")
        return usageError("logging takes show or set");
    if (action == "show" && changes)
        return usageError("--file, --level, --type and --mode belong to logging set");
    if (action == "set" && !changes)
        return usageError("logging set needs at least one of --file, --level, --type and --mode");

    SystemModel model(false);
    const std::int32_t status = startModel(options, model);
    if (model.configFilePath().empty()) {
        std::cerr << "zamo2ctl: the driver configuration could not be found\n";
        return exitStatusOf(status != AppStatus::Ok ? status : AppStatus::ConfigPathFailed);
    }
    DriverLogSettings& settings = model.logSettings();
    if (action == "set") {
        std::string error;
        const std::string before = settings.fileName;
        if (!applyLogChange(change, settings, error))
            return usageError(error);
        // A name is a plain file in the driver's log folder: what else stands there is refused.
        if (settings.fileName != before &&
            !checkLogFileName(settings.fileName, driverLogFolder(model.configFilePath(), settings), error)) {
            std::cerr << "zamo2ctl: refused: " << oneLine(error) << "\n";
            return EXIT_CANNOT_CREATE;
        }
        if (!saveLogSettings(model.configHandler(), model.configFilePath(), settings)) {
            std::cerr << "zamo2ctl: " << oneLine(statusMessage(AppStatus::SaveFailed)) << " " << model.configFilePath()
                      << "\n";
            return exitStatusOf(AppStatus::SaveFailed);
        }
    }
    printLogSettings(settings, driverLogFolder(model.configFilePath(), settings), options.json);
    return EXIT_OK;
}

int reportPackageCommand(const CliOptions& options)
{
    const std::string destination = options.arguments[0];
    std::vector<InventorySource> sources;
    // A destination that would be refused is refused before the long work, with nothing made.
    const OutputDestination::Result usable = OutputDestination::check(destination, options.force);
    if (usable.refused())
        return refusedDestination(usable);

    // The network node first: when it is not there, nothing else is worth the wait.
    std::unique_ptr<RemoteSession> remote;
    RootNode remoteRoot(SystemKind::Remote);
    NetworkNodeRecord record;
    if (!options.node.empty()) {
        remote = std::make_unique<RemoteSession>(options);
        const int located = remote->locate(false);
        if (located != EXIT_OK)
            return located;
        const std::int32_t connected = remote->connect();
        const bool reached = DriverResult::succeeded(connected);
        if (!reached)
            std::cerr << "zamo2ctl: " << remote->connectFailureText(connected) << "\n";
        record = remote->session().record(reached);
        // A node that stops answering is packed as far as it was read, with why it stopped.
        if (reached && !DriverResult::succeeded(record.failure))
            std::cerr << "zamo2ctl: the network node at " << options.node
                      << " stopped answering: " << failureWords(record.failure) << "; its inventory is partial\n";
        RemoteSystemBuilder::fillRoot(remoteRoot, record);
        sources.push_back({"node " + options.node, &remoteRoot, reached ? record.failure : connected, {}, &record});
    }

    SystemModel model(false);
    const std::int32_t status = startModel(options, model);
    // Now the driver configuration and its log folder are known as the program's own too.
    const OutputDestination::Result stillUsable = OutputDestination::check(destination, options.force);
    if (stillUsable.refused())
        return refusedDestination(stillUsable);
    InventorySource local{"local", &model.localRoot(), status, {}};
    InventorySource demo{"demo", &model.demoRoot(), status == AppStatus::HardwareInUse ? 0 : status, {}};
    if (status == AppStatus::Ok) {
        local.latestFirmware = ReportContents::latestFirmware(model.wrapper());
        if (DriverResult::succeeded(model.reconnectSimulatedOnly()))
            demo.latestFirmware = ReportContents::latestFirmware(model.wrapper());
    }
    sources.insert(sources.begin(), {local, demo});

    const std::string journal = MaintenanceJournal::defaultFolder();
    const std::string source =
        model.configFilePath().empty() ? std::string() : driverLogFolder(model.configFilePath(), model.logSettings());
    ReportPackage package(source);
    ReportContents::addInventory(
        package, sources, softwareVersionList(buildIdentity(), model.softwareVersions(), DriverLibrary::loaded()),
        journal);

    // Built beside the destination, so that placing it is one rename.
    std::error_code error;
    fs::path buildFolder = fs::absolute(destination, error).parent_path();
    if (error || !fs::is_directory(buildFolder, error))
        buildFolder = fs::temp_directory_path(error);
    const std::int32_t collected = package.collect(buildFolder.string());
    if (collected != AppStatus::Ok) {
        // The log folder matters when nothing was found in it; else what the system said.
        const std::string why =
            package.collectError().empty() ? "log folder " + source : package.collectError() + "; nothing was left";
        std::cerr << "zamo2ctl: " << oneLine(statusMessage(collected)) << " (" << why << ")\n";
        return exitStatusOf(collected);
    }
    const ReportPackage::Placement placed = package.place(destination, options.force);
    if (placed != ReportPackage::Placement::Placed) {
        std::cerr << "zamo2ctl: " << oneLine(ReportPackage::placementText(placed)) << " (" << destination << ")\n";
        if (!package.placeError().empty())
            std::cerr << "zamo2ctl: " << package.placeError() << "\n";
        return EXIT_CANNOT_CREATE;
    }
    printPackage(package, destination, options.json);
    return EXIT_OK;
}

int overviewCommand(const CliOptions& options)
{
    if (options.json && options.csv)
        return usageError("overview takes either --json or --csv");
    SystemModel model(false);
    const std::int32_t status = startModel(options, model);
    const bool demo = options.system == "demo";
    const RootNode& root = demo ? model.demoRoot() : model.localRoot();
    std::vector<std::vector<std::string>> rows;
    for (std::size_t r = 0; r < root.boardOverview.size(); ++r)
        rows.push_back(SystemReport::savedRow(root, r, options.extended));
    if (options.csv) {
        std::cout << SystemReport::toCsv(root, options.extended);
    } else if (options.json) {
        const auto array = [](const std::vector<std::string>& cells) {
            std::string text = "[";
            for (std::size_t c = 0; c < cells.size(); ++c)
                text += (c ? "," : "") + jsonString(cells[c]);
            return text + "]";
        };
        std::cout << "{\"system\":" << jsonString(demo ? "demo" : "local") << ",\"status\":" << status
                  << ",\"columns\":" << array(rows.empty() ? std::vector<std::string>() : rows.front())
                  << ",\"rows\":[";
        for (std::size_t r = 1; r < rows.size(); ++r)
            std::cout << (r > 1 ? "," : "") << array(rows[r]);
        std::cout << "]}\n";
    } else {
        std::vector<std::size_t> widths(rows.empty() ? 0 : rows.front().size(), 0);
        for (const std::vector<std::string>& row : rows) {
            for (std::size_t c = 0; c < widths.size(); ++c)
                widths[c] = std::max(widths[c], oneLine(row[c]).size());
        }
        for (const std::vector<std::string>& row : rows) {
            std::string line;
            for (std::size_t c = 0; c < widths.size(); ++c) {
                const std::string cell = oneLine(row[c]);
                line += cell + (c + 1 < widths.size() ? std::string(widths[c] - cell.size() + 2, ' ') : "");
            }
            std::cout << line << "\n";
        }
    }
    // The demo system is complete even when the hardware is held elsewhere.
    if (status == AppStatus::HardwareInUse && demo)
        return EXIT_OK;
    return exitStatusOf(status);
}

} // namespace cli
} // namespace z2e
