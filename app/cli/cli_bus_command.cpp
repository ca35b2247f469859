#include "cli_bus_command.h"
#include "cli_tool_runner.h"
#include "cli_tool_support.h"

#include "cli_commands.h"
#include "cli_output.h"
#include "command_watchdog.h"

#include "core/json_text.h"
#include "tools/bus_frame_text.h"
#include "tools/bus_monitor.h"
#include "tools/bus_trace_file.h"

#include "config/output_destination.h"

#include <cstdio>
#include <iostream>

namespace z2e {
namespace cli {
namespace {

/// UART bytes one send may carry.
constexpr std::size_t kMaxUartSend = 4096;

const char* busWord(BusKind kind)
{
    return kind == BusKind::Can ? "can" : "uart";
}

std::string idText(const BusRecord& record)
{
    char text[16];
    std::snprintf(text, sizeof text, (record.flags & BusRecord::kExtended) ? "%08X" : "%03X", record.id);
    return text;
}

std::string timeText(std::uint64_t us)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%06llu", static_cast<unsigned long long>(us / 1000000),
                  static_cast<unsigned long long>(us % 1000000));
    return text;
}

/// One line per frame as it arrives.
std::string frameLine(BusKind kind, const BusRecord& record)
{
    const std::string channel = "ch" + std::to_string(record.channel);
    if (kind == BusKind::Uart)
        return channel + "  " + BusFrameText::hex(record.data) + "  |" + BusFrameText::printable(record.data) + "|";
    if (record.flags & BusRecord::kErrorFrame)
        return timeText(record.timestampUs) + "  " + channel + "  ERROR FRAME";
    return timeText(record.timestampUs) + "  " + channel + "  " + idText(record) + "  [" +
           std::to_string(record.data.size()) + "]" + ((record.flags & BusRecord::kRemote) ? "  remote" : "") +
           (record.data.empty() ? "" : "  " + BusFrameText::hex(record.data));
}

std::string frameJson(BusKind kind, const BusRecord& record)
{
    std::string json = "{\"channel\":" + std::to_string(record.channel);
    if (kind == BusKind::Can)
        json += ",\"timestampUs\":" + std::to_string(record.timestampUs) + ",\"id\":" + jsonString(idText(record)) +
                ",\"extended\":" + ((record.flags & BusRecord::kExtended) ? "true" : "false") +
                ",\"errorFrame\":" + ((record.flags & BusRecord::kErrorFrame) ? "true" : "false");
    return json + ",\"data\":" + jsonString(BusFrameText::hex(record.data)) +
           ",\"text\":" + jsonString(BusFrameText::printable(record.data)) + "}";
}

// What --ids, --send and the send arguments ask for, checked; a usage error names the fault.
bool buildSettings(const CliOptions& options, BusKind kind, BusMonitorSettings& settings, std::string& error)
{
    const BusCliOptions& bus = options.bus;
    const bool monitor = options.arguments[0] == "monitor";
    const std::size_t sendWords = kind == BusKind::Can ? 2 : 1;
    if (!monitor && options.arguments[0] != "send") {
        error = std::string(busWord(kind)) + " takes monitor or send, not " + options.arguments[0];
        return false;
    }
    if (options.arguments.size() != (monitor ? 1 : 1 + sendWords)) {
        error = std::string(busWord(kind)) + (monitor                ? " monitor takes no arguments (--send sends)"
                                              : kind == BusKind::Can ? " send takes ID DATA"
                                                                     : " send takes DATA");
        return false;
    }
    if (options.board < 0) {
        error = std::string(busWord(kind)) + " needs --board ENCLOSURE/SLOT, a serial number or the board index";
        return false;
    }
    const bool uartSendOfTwo = kind == BusKind::Uart && bus.sendGiven && !bus.sendData.empty();
    if ((!monitor &&
         (bus.sendGiven || bus.sendChannel >= 0 || !bus.ids.empty() || bus.ring > 0 || !bus.trace.empty())) ||
        (monitor && !bus.sendGiven && (bus.everyMs > 0 || bus.sendChannel >= 0)) || uartSendOfTwo ||
        (kind == BusKind::Uart && !bus.ids.empty())) {
        error =
            std::string(busWord(kind)) +
            " monitor takes --channel, --count, --ids (can), --ring, --trace and --send with --send-channel and --every; " +
            busWord(kind) + " send takes --channel, --count and --every";
        return false;
    }
    settings.kind = kind;
    settings.board = static_cast<std::uint32_t>(options.board);
    settings.listen = monitor;
    settings.channel = monitor ? bus.channel : -1;
    settings.stopAfter = monitor ? static_cast<std::uint32_t>(bus.count) : 0;
    if (bus.ring > 0)
        settings.ringSize = static_cast<std::size_t>(bus.ring);
    if (!bus.ids.empty()) {
        const std::size_t dash = bus.ids.find('-');
        bool extended = false;
        if (dash == std::string::npos ||
            !BusFrameText::parseId(bus.ids.substr(0, dash), settings.idLow, extended, error) ||
            !BusFrameText::parseId(bus.ids.substr(dash + 1), settings.idHigh, extended, error)) {
            error = "--ids needs a range of CAN ids in hexadecimal, LOW-HIGH" + (error.empty() ? "" : ": " + error);
            return false;
        }
        // A range upside down would show nothing and wait for ever.
        if (settings.idLow > settings.idHigh) {
            error = "--ids " + bus.ids + " has its low end above its high end; give LOW-HIGH";
            return false;
        }
    }
    if (!monitor || bus.sendGiven) {
        BusSend send;
        const std::string idWord = monitor ? bus.sendId : options.arguments[1];
        const std::string dataWord = kind == BusKind::Uart ? idWord : monitor ? bus.sendData : options.arguments[2];
        if (kind == BusKind::Can && !BusFrameText::parseId(idWord, send.id, send.extended, error))
            return false;
        const std::size_t most = kind == BusKind::Can ? BusFrameText::kMaxCanData : kMaxUartSend;
        if (!BusFrameText::parseData(dataWord, most, send.data, error))
            return false;
        if (kind == BusKind::Uart && send.data.empty()) {
            error = "uart send needs at least one byte";
            return false;
        }
        send.channel = std::max(monitor ? bus.sendChannel : bus.channel, 0);
        send.everyMs = static_cast<std::uint32_t>(bus.everyMs);
        // Once, or with --every until the run ends; send --count sends that many.
        send.count = bus.everyMs == 0 ? 1 : 0;
        if (!monitor && bus.count > 0)
            send.count = static_cast<std::uint32_t>(bus.count);
        settings.send = send;
    }
    return true;
}

std::string countersJson(const BusMonitorResult& result)
{
    std::string json = "[";
    for (const auto& [channel, errors] : result.errorCounters)
        json += std::string(json.size() > 1 ? "," : "") + "{\"channel\":" + std::to_string(channel) +
                ",\"errors\":" + std::to_string(errors) + "}";
    return json + "]";
}

int report(const CliOptions& options, BusKind kind, const BusMonitorResult& result, const std::string& place)
{
    Report out;
    out.add("board", static_cast<std::int64_t>(options.board));
    out.add("place", place);
    out.add("bus", busWord(kind));
    out.add("sent", static_cast<std::int64_t>(result.sent));
    if (options.arguments[0] == "monitor") {
        out.add("shown", static_cast<std::int64_t>(result.shown));
        out.add("filtered", static_cast<std::int64_t>(result.filtered));
        out.add("overwritten", static_cast<std::int64_t>(result.overwritten));
        if (kind == BusKind::Can)
            out.add("errorFrames", static_cast<std::int64_t>(result.errorFrames));
        if (result.lost)
            out.add("lost", static_cast<std::int64_t>(*result.lost));
    }
    if (kind == BusKind::Can) {
        std::string counters;
        for (const auto& [channel, errors] : result.errorCounters)
            counters +=
                (counters.empty() ? "" : ", ") + ("channel " + std::to_string(channel)) + " " + std::to_string(errors);
        options.json ? out.addJson("errorCounters", countersJson(result)) : out.add("errorCounters", counters);
    }
    if (options.json && options.arguments[0] == "monitor") {
        std::string frames = "[";
        for (const BusRecord& record : result.records)
            frames += (frames.size() > 1 ? "," : "") + frameJson(kind, record);
        out.addJson("frames", frames + "]");
    }
    if (!result.error.empty())
        out.add("error", result.error);
    std::cout << out.render(options.json) << std::flush;
    if (!result.error.empty()) {
        std::cerr << "zamo2ctl: " << busWord(kind) << " " << options.arguments[0] << " on " << place << ": "
                  << result.error << "\n";
        return EXIT_TOOL_FAILED;
    }
    return result.cancelled ? CommandWatchdog::stopStatus() : EXIT_OK;
}

/// The run's kept frames as a CSV trace; a failure to save them ends the command with 73 or 65.
int saveTrace(const std::string& path, bool force, BusKind kind, const BusMonitorResult& result, int status)
{
    std::string error;
    bool refused = false;
    if (BusTraceFile::write(path, kind, result.records, force, error, &refused)) {
        const std::size_t frames = result.records.size();
        std::cerr << "zamo2ctl: " << frames << (frames == 1 ? " frame" : " frames") << " saved to " << path << "\n";
        return status;
    }
    std::cerr << "zamo2ctl: the trace was not saved: " << error << "\n";
    return status != EXIT_OK ? status : refused ? EXIT_CANNOT_CREATE : EXIT_TOOL_FAILED;
}

int busCommand(const CliOptions& options, BusKind kind)
{
    BusMonitorSettings settings;
    std::string error;
    if (!buildSettings(options, kind, settings, error))
        return usageError(error);
    const std::string& trace = options.bus.trace;
    return runOnNode(options, [&](QorinNodeUtilWrapper& wrapper) {
        // A trace that could not be saved is refused before the bus is touched; only once the
        // driver is connected are its own files known.
        const OutputDestination::Result usable = OutputDestination::check(trace, options.force);
        if (!trace.empty() && !usable.ok())
            return refusedDestination(usable);
        std::atomic<bool> stop{false};
        CommandWatchdog::stopGently(&stop);
        const BusMonitor::FrameSink live = [&](const BusRecord& record) {
            std::cout << frameLine(kind, record) << "\n" << std::flush;
        };
        const BusMonitorResult result =
            BusMonitor(wrapper).run(settings, stop, options.json ? BusMonitor::FrameSink() : live);
        CommandWatchdog::stopGently(nullptr);
        const int status = report(options, kind, result, boardPlace(wrapper, options.board));
        return trace.empty() ? status : saveTrace(trace, options.force, kind, result, status);
    });
}

} // namespace

int canCommand(const CliOptions& options)
{
    return busCommand(options, BusKind::Can);
}

int uartCommand(const CliOptions& options)
{
    return busCommand(options, BusKind::Uart);
}

namespace {

const CliToolRunner kCanRunner({"can"}, canCommand);
const CliToolRunner kUartRunner({"uart"}, uartCommand);

} // namespace

} // namespace cli
} // namespace z2e
