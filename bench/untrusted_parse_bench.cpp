// What the count of markup before a parse of an operator's file costs: the parse of a document
// through xpugi::parseUntrusted against pugixml's parse of the same text, alternately. Range 0
// is the demo file of the largest system the program builds, range 1 a document of tiny
// elements just within xpugi::kMaxNodes, the most a file can make the parser do.

#include "config/qorin_cfg_handler.h"
#include "xpugi/untrusted_parse.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// 16 enclosures of 16 boards with a channel module on each of their 32 channels.
std::string largestDemoFile()
{
    z2e::SimulatedSystem system;
    for (int e = 0; e < 16; ++e) {
        z2e::SimulatedEnclosureEntry enclosure;
        enclosure.nameCode = 0xE116;
        enclosure.key = "<KEY EncName=\"0000E116\"><Name>QE-R16</Name><UserSlotCnt>16</UserSlotCnt>"
                        "<SlotNoOffset>2</SlotNoOffset><SystemInfo/></KEY>";
        enclosure.options = {{"FanMode", "2"}, {"SyncMaster", "1"}};
        for (int s = 0; s < 16; ++s) {
            z2e::SimulatedSlotEntry slot;
            slot.slotNumber = 2 + s;
            slot.hasBoard = true;
            slot.board.key = "<KEY BaseModel=\"QBA-32T\" BaseVersion=\"1\" ConModel=\"QPA-32-TC\" ConVersion=\"1\" "
                             "FeatureSet=\"00000001\"><FamilyName>QA</FamilyName><Type>4032</Type><ConBv>TEMP</ConBv>"
                             "<DisplayName>QA-4032-TEMP</DisplayName><TypeCode>22</TypeCode></KEY>";
            slot.board.firmwareRevision = "0300";
            for (int c = 0; c < 32; ++c)
                slot.board.channelModules.push_back({"AI" + std::to_string(c), "MOD-TC"});
            enclosure.slots.push_back(slot);
        }
        system.enclosures.push_back(enclosure);
    }
    z2e::QorinCfgHandler handler;
    std::string text;
    if (!handler.loadConfig("/nonexistent/zmpxi_api_config.xml") || !handler.writeSimulatedSystem(system) ||
        !handler.exportSimulation("", &text))
        text.clear();
    return text;
}

std::string tinyElements()
{
    std::string text = "<Simulation>";
    for (std::size_t i = 2; i < xpugi::kMaxNodes; ++i)
        text += "<a/>";
    return text + "</Simulation>";
}

void BM_UntrustedParseVsPlainParse(benchmark::State& state)
{
    const std::string text = state.range(0) == 0 ? largestDemoFile() : tinyElements();
    pugi::xml_document plain;
    pugi::xml_document bounded;
    if (!plain.load_buffer(text.data(), text.size()) || !xpugi::parseUntrusted(bounded, text)) {
        state.SkipWithError("the document does not parse");
        return;
    }
    using Clock = std::chrono::steady_clock;
    double plainTotal = 0;
    double boundedTotal = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(plain.load_buffer(text.data(), text.size()));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(xpugi::parseUntrusted(bounded, text));
        const auto t2 = Clock::now();
        plainTotal += std::chrono::duration<double, std::milli>(t1 - t0).count();
        boundedTotal += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    const double runs = static_cast<double>(state.iterations());
    if (runs > 0 && plainTotal > 0) {
        state.counters["plain_ms"] = plainTotal / runs;
        state.counters["bounded_ms"] = boundedTotal / runs;
        state.counters["ratio"] = boundedTotal / plainTotal;
        state.counters["bytes"] = static_cast<double>(text.size());
    }
}

} // namespace

BENCHMARK(BM_UntrustedParseVsPlainParse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
