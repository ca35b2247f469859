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

// Milliseconds of one parse into a fresh document, its destruction left out of the time.
template <class Parse>
double timed(Parse&& parse)
{
    using Clock = std::chrono::steady_clock;
    pugi::xml_document document;
    const auto begin = Clock::now();
    benchmark::DoNotOptimize(parse(document));
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

void BM_UntrustedParseVsPlainParse(benchmark::State& state)
{
    const std::string text = state.range(0) == 0 ? largestDemoFile() : tinyElements();
    const auto plain = [&](pugi::xml_document& document) {
        return static_cast<bool>(document.load_buffer(text.data(), text.size()));
    };
    const auto bounded = [&](pugi::xml_document& document) {
        return static_cast<bool>(xpugi::parseUntrusted(document, text));
    };
    pugi::xml_document check;
    if (!plain(check) || !bounded(check)) {
        state.SkipWithError("the document does not parse");
        return;
    }
    double plainTotal = 0;
    double boundedTotal = 0;
    bool plainFirst = true;
    for (auto _ : state) {
        // Alternately first: the second parse of a pair finds the heap the first one left.
        if (plainFirst) {
            plainTotal += timed(plain);
            boundedTotal += timed(bounded);
        } else {
            boundedTotal += timed(bounded);
            plainTotal += timed(plain);
        }
        plainFirst = !plainFirst;
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
