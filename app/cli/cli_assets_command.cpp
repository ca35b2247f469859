#include "cli_assets_command.h"

#include "cli_output.h"

#include "tools/asset_register.h"
#include "tools/maintenance_journal.h"
#include "tools/record_author.h"
#include "tools/site_register.h"
#include "tools/site_sync.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace z2e {
namespace cli {
namespace {

constexpr std::uint32_t kUnknownSlot = 0xFFFFFFFFu;

// "local 0/2", "127.0.0.2 north 1/?" as the journal and the tree name a place; the site
// register's places begin with the computer that saw them ("bay2: local 0/2").
std::string placeText(const AssetPlace& place)
{
    return (place.computer.empty() ? std::string() : place.computer + ": ") + place.system + " " +
           (place.enclosure < 0 ? std::string("?") : std::to_string(place.enclosure)) + "/" +
           (place.slot == kUnknownSlot ? std::string("?") : std::to_string(place.slot));
}

std::string placeJson(const AssetPlace& place)
{
    return "{" + (place.computer.empty() ? std::string() : "\"computer\":" + jsonString(place.computer) + ",") +
           "\"system\":" + jsonString(place.system) +
           ",\"enclosure\":" + (place.enclosure < 0 ? std::string("null") : std::to_string(place.enclosure)) +
           ",\"slot\":" + (place.slot == kUnknownSlot ? std::string("null") : std::to_string(place.slot)) +
           ",\"firstSeen\":" + jsonString(place.firstSeen) + ",\"lastSeen\":" + jsonString(place.lastSeen) + "}";
}

std::string boardJson(const AssetBoard& board)
{
    return "\"serial\":" + jsonString(board.serial) + ",\"model\":" + jsonString(board.model) +
           ",\"firstSeen\":" + jsonString(board.firstSeen) + ",\"lastSeen\":" + jsonString(board.lastSeen) +
           ",\"lastPlace\":" + (board.placed ? placeJson(board.lastPlace) : std::string("null"));
}

template <class Item, class Render>
std::string jsonArray(const std::vector<Item>& items, Render&& render)
{
    std::string json = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        json += (i ? "," : "") + render(items[i]);
    return json + "]";
}

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

void printBoards(const std::vector<AssetBoard>& boards, const CliOptions& options)
{
    if (options.json) {
        std::cout << "{\"boards\":"
                  << jsonArray(boards, [](const AssetBoard& board) { return "{" + boardJson(board) + "}"; }) << "}\n";
        return;
    }
    std::size_t serialWidth = 0;
    std::size_t modelWidth = 0;
    std::size_t placeWidth = 0;
    for (const AssetBoard& board : boards) {
        serialWidth = std::max(serialWidth, board.serial.size());
        modelWidth = std::max(modelWidth, board.model.size());
        placeWidth = std::max(placeWidth, board.placed ? placeText(board.lastPlace).size() : 13);
    }
    // Serials, models and places are what boards and journals said.
    for (const AssetBoard& board : boards)
        std::cout << oneLine(padded(board.serial, serialWidth) + "  " + padded(board.model, modelWidth) + "  " +
                             padded(board.placed ? placeText(board.lastPlace) : "place unknown", placeWidth) +
                             "  last seen " + board.lastSeen)
                  << "\n";
    if (boards.empty())
        std::cerr << "zamo2ctl: the asset register knows no board yet; boards are added as the tools run\n";
}

std::string eventJson(const AssetEvent& event)
{
    return "{" + (event.computer.empty() ? std::string() : "\"computer\":" + jsonString(event.computer) + ",") +
           "\"time\":" + jsonString(event.time) + ",\"node\":" + jsonString(event.node) +
           ",\"place\":" + jsonString(event.place) + ",\"operation\":" + jsonString(event.operation) +
           ",\"result\":" + std::to_string(event.result) + ",\"status\":" + jsonString(event.status) +
           ",\"verification\":" + jsonString(event.verification) +
           ",\"firmwareBefore\":" + jsonString(event.firmwareBefore) +
           ",\"firmwareAfter\":" + jsonString(event.firmwareAfter) +
           ",\"resultDocument\":" + jsonString(event.resultDocument) + "}";
}

void printHistoryJson(const AssetHistory& history)
{
    std::cout << "{\"found\":true," << boardJson(history.board)
              << ",\"places\":" << jsonArray(history.places, placeJson) << ",\"firmware\":"
              << jsonArray(history.firmware,
                           [](const AssetFirmware& firmware) {
                               return "{\"version\":" + jsonString(firmware.version) +
                                      ",\"firstSeen\":" + jsonString(firmware.firstSeen) +
                                      ",\"lastSeen\":" + jsonString(firmware.lastSeen) + "}";
                           })
              << ",\"calibrations\":"
              << jsonArray(history.calibrations,
                           [](const AssetCalibration& calibration) {
                               return "{\"date\":" + jsonString(calibration.date) +
                                      ",\"firstSeen\":" + jsonString(calibration.firstSeen) + "}";
                           })
              << ",\"events\":" << jsonArray(history.events, eventJson) << "}\n";
}

void printHistory(const AssetHistory& history)
{
    // Every text here was read from a board, a journal or the site register.
    const auto line = [](const std::string& text) { std::cout << oneLine(text) << "\n"; };
    const AssetBoard& board = history.board;
    line(board.serial + "  " + board.model + "  first seen " + board.firstSeen + ", last seen " + board.lastSeen);
    line("last place: " + (board.placed ? placeText(board.lastPlace) : "unknown"));
    line("places:");
    for (const AssetPlace& place : history.places)
        line("  " + padded(placeText(place), 28) + "  " + place.firstSeen + " .. " + place.lastSeen);
    line("firmware:");
    for (const AssetFirmware& firmware : history.firmware)
        line("  " + padded(firmware.version, 28) + "  " + firmware.firstSeen + " .. " + firmware.lastSeen);
    line("calibration dates:");
    for (const AssetCalibration& calibration : history.calibrations)
        line("  " + padded(calibration.date, 28) + "  first seen " + calibration.firstSeen);
    line("events:");
    for (const AssetEvent& event : history.events) {
        std::string shown = "  " + event.time + "  " + (event.computer.empty() ? "" : event.computer + ": ") +
                            event.node + "  " + (event.place.empty() ? "?" : event.place) + "  " + event.operation +
                            "  " + std::to_string(event.result) + " " + event.status;
        if (!event.firmwareBefore.empty() || !event.firmwareAfter.empty())
            shown += "  " + event.firmwareBefore + " -> " + event.firmwareAfter;
        if (!event.verification.empty())
            shown += "  [" + event.verification + "]";
        line(shown);
    }
}

int rebuild(AssetRegister& assets, const CliOptions& options)
{
    if (!assets.rebuild(MaintenanceJournal::defaultFolder())) {
        std::cerr << "zamo2ctl: " << assets.lastError() << "\n";
        return EXIT_CANNOT_CREATE;
    }
    const AssetRebuild& read = assets.lastRebuild();
    Report report;
    report.add("register", assets.path());
    report.add("journalLines", static_cast<std::int64_t>(read.lines));
    report.add("damagedLines", static_cast<std::int64_t>(read.damaged));
    std::cout << report.render(options.json);
    return EXIT_OK;
}

// Sends what the site has not had; the report says how much, also when it stopped half way.
int sync(AssetRegister& assets, const std::string& connection, const CliOptions& options)
{
    SiteRegister site(connection);
    SiteSync sync(assets, site, RecordAuthor::computer());
    SiteSyncCounts counts;
    const bool sent = sync.run(counts);
    if (!sent)
        std::cerr << "zamo2ctl: " << sync.lastError() << "\n";
    Report report;
    report.add("site", site.name());
    report.add("computer", RecordAuthor::computer());
    report.add("sent", static_cast<std::int64_t>(counts.sent));
    report.add("new", static_cast<std::int64_t>(counts.added));
    report.addFlag("complete", sent);
    std::cout << report.render(options.json);
    return sent ? EXIT_OK : EXIT_NODE_UNAVAILABLE;
}

int failed(const std::string& error)
{
    std::cerr << "zamo2ctl: " << error << "\n";
    return EXIT_CANNOT_CREATE;
}

// Whichever register answers: the site's, or this computer's when the site cannot.
int show(AssetReader& assets, const CliOptions& options)
{
    if (options.arguments.empty()) {
        std::vector<AssetBoard> boards;
        if (!assets.boards(boards))
            return failed(assets.lastError());
        printBoards(boards, options);
        return EXIT_OK;
    }
    const std::string& serial = options.arguments.front();
    AssetHistory history;
    if (!assets.history(serial, history))
        return failed(assets.lastError());
    if (!history.found) {
        std::cerr << "zamo2ctl: no board with the serial number " << serial
                  << " has been seen here (zamo2ctl assets lists those that have)\n";
        if (options.json)
            std::cout << "{\"found\":false,\"serial\":" << jsonString(serial) << "}\n";
        return EXIT_UNKNOWN_SERIAL;
    }
    if (options.json)
        printHistoryJson(history);
    else
        printHistory(history);
    return EXIT_OK;
}

} // namespace

std::string siteConnection(const CliOptions& options)
{
    if (!options.registerAt.empty())
        return options.registerAt;
    const char* named = std::getenv("ZAMO2_REGISTER");
    return named ? named : "";
}

int assetsCommand(const CliOptions& options)
{
    if (options.rebuild + options.sync + !options.arguments.empty() > 1)
        return usageError("assets takes one of SERIAL, --rebuild and --sync");
    const std::string connection = siteConnection(options);
    if (!connection.empty() && !SiteRegister::isSite(connection))
        return usageError(
            "ZAMO2_REGISTER needs a PostgreSQL connection string postgresql://[USER@]HOST[:PORT]/DATABASE");
    if (options.sync && connection.empty())
        return usageError("assets --sync needs a site register: --register postgresql://... or ZAMO2_REGISTER");
    AssetRegister assets(AssetRegister::defaultFolder());
    const bool opened = assets.open();
    if (!assets.notice().empty())
        std::cerr << "zamo2ctl: " << assets.notice() << "\n";
    if (!opened)
        return failed(assets.lastError());
    if (options.rebuild)
        return rebuild(assets, options);
    if (options.sync)
        return sync(assets, connection, options);
    if (connection.empty())
        return show(assets, options);
    // The site answers with this computer's latest records too.
    SiteRegister site(connection);
    SiteSync sync(assets, site, RecordAuthor::computer());
    SiteSyncCounts counts;
    if (sync.run(counts))
        return show(site, options);
    std::cerr << "zamo2ctl: " << sync.lastError() << "; this computer's register answers instead\n";
    return show(assets, options);
}

} // namespace cli
} // namespace z2e
