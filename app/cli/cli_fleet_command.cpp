#include "cli_fleet_command.h"

#include "cli_assets_command.h"
#include "cli_output.h"
#include "cli_remote_session.h"

#include "core/local_node_session.h"
#include "core/node_result_text.h"
#include "driver/command/driver_result.h"
#include "tools/fleet_reader.h"
#include "tools/fleet_register.h"
#include "tools/fleet_scan.h"
#include "tools/fleet_sources.h"
#include "tools/fleet_table.h"
#include "tools/maintenance_journal.h"
#include "tools/site_fleet.h"
#include "tools/site_register.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace z2e {
namespace cli {
namespace {

struct SystemOutcome {
    std::int32_t result = 0;
    std::vector<FleetBoard> boards;
};

/// Whether --due (or its absence) lets the board into the list.
bool wanted(const FleetBoard& board, const CliOptions& options, const FleetTable::Options& table)
{
    return options.dueDays < 0 || FleetTable::dueWithin(board, options.dueDays, table);
}

std::vector<FleetBoard> shown(const std::vector<SystemOutcome>& outcomes, const CliOptions& options,
                              const FleetTable::Options& table)
{
    std::vector<FleetBoard> boards;
    for (const SystemOutcome& outcome : outcomes) {
        for (const FleetBoard& board : outcome.boards) {
            if (wanted(board, options, table))
                boards.push_back(board);
        }
    }
    return boards;
}

// The address joins the system's name.
void printText(const std::vector<FleetBoard>& boards, const FleetTable::Options& table)
{
    std::vector<FleetTable::Column> columns;
    for (int c = 0; c < FleetTable::ColumnCount; ++c) {
        if (c != FleetTable::Address)
            columns.push_back(FleetTable::Column(c));
    }
    std::vector<std::vector<std::string>> rows(1);
    for (const FleetTable::Column column : columns)
        rows[0].push_back(FleetTable::title(column));
    for (const FleetBoard& board : boards) {
        std::vector<std::string> cells;
        for (const FleetTable::Column column : columns) {
            std::string cell = FleetTable::cell(board, column, table);
            if (column == FleetTable::System && !board.address.empty())
                cell += " " + board.address;
            cells.push_back(oneLine(cell));
        }
        rows.push_back(std::move(cells));
    }
    std::cout << alignedColumns(rows);
}

void reportFailure(const FleetSource& source, std::int32_t result)
{
    const std::string who =
        source.address.empty() ? "this computer" : "the node " + oneLine(source.system) + " at " + source.address;
    std::cerr << "zamo2ctl: " << who << " could not be read completely: " << oneLine(failureWords(result))
              << (source.address.empty() ? "" : "; its boards are missing or partial") << "\n";
}

void print(const std::vector<FleetBoard>& boards, const CliOptions& options, const FleetTable::Options& table)
{
    if (options.json)
        std::cout << FleetTable::toJson(boards, table);
    else if (options.csv)
        std::cout << FleetTable::toCsv(boards, table);
    else if (options.html)
        std::cout << FleetTable::toHtml(boards, table);
    else
        printText(boards, table);
}

FleetTable::Options tableOptions(const CliOptions& options)
{
    FleetTable::Options table;
    if (options.intervalMonths > 0)
        table.intervalMonths = options.intervalMonths;
    table.today = CalibrationDue::today();
    return table;
}

int siteFleet(const CliOptions& options)
{
    const std::string connection = siteConnection(options);
    if (!SiteRegister::isSite(connection))
        return usageError("fleet --site needs a site register: --register postgresql://... or ZAMO2_REGISTER");
    SiteFleetRead site = SiteFleet::read(connection);
    if (!site.error.empty()) {
        std::cerr << "zamo2ctl: " << site.error << "\n";
        return EXIT_NODE_UNAVAILABLE;
    }
    const FleetTable::Options table = tableOptions(options);
    std::vector<FleetBoard> boards;
    for (FleetBoard& board : site.boards) {
        if (wanted(board, options, table))
            boards.push_back(std::move(board));
    }
    print(boards, options, table);
    return EXIT_OK;
}

} // namespace

int fleetCommand(const CliOptions& options)
{
    if (options.json + options.csv + options.html > 1)
        return usageError("fleet takes one of --json, --csv and --html");
    if (options.site)
        return siteFleet(options);
    const LastSelfTests tests = LastSelfTests::ofJournal(MaintenanceJournal::defaultFolder());
    const FleetReader reader(tests);

    LocalNodeSession local(options.driverPath, options.simulation);
    std::vector<FleetSource> sources{FleetSources::local(local.wrapper(), local.result(), reader)};
    RemoteSession remote(options);
    int status = EXIT_OK;
    if (remote.start()) {
        for (const NetworkNodeSummary& node : remote.discover())
            sources.push_back(FleetSources::node(remote.session(), node, reader));
    } else {
        status = EXIT_NODE_UNAVAILABLE;
    }

    std::vector<SystemOutcome> outcomes(sources.size());
    const unsigned parallel = options.parallel > 0 ? unsigned(options.parallel) : FleetScan::kDefaultReadParallel;
    FleetRegister assets;
    FleetScan::run(sources, parallel,
                   [&outcomes, &assets](std::size_t source, std::int32_t result, std::vector<FleetBoard>& boards) {
                       assets.record(boards);
                       outcomes[source].result = result;
                       outcomes[source].boards = std::move(boards);
                   });
    for (std::size_t s = 0; s < sources.size(); ++s) {
        if (DriverResult::succeeded(outcomes[s].result))
            continue;
        reportFailure(sources[s], outcomes[s].result);
        if (status == EXIT_OK)
            status = s == 0 ? exitStatusOf(outcomes[s].result) : EXIT_NODE_UNAVAILABLE;
    }

    const FleetTable::Options table = tableOptions(options);
    print(shown(outcomes, options, table), options, table);
    return status;
}

} // namespace cli
} // namespace z2e
