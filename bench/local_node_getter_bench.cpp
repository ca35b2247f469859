// A 64 KiB document fetched through the local node's text getter against the same driver
// entry point called directly, both into a std::string, so the difference is the node's own
// cost (lock, scratch buffer, growth check). The entry point is an in-process stand-in placed
// in the binding's table: it answers like a driver (lookup, size check, copy) and nothing more,
// which makes the node's share as large as it can ever be.

#include "zmpxi/driver_api.h"
#include "qorinet_api/client/qorinet_local_client_node.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDocumentSize = 64 * 1024;
constexpr const char* kTarget = "BoardID0";
constexpr const char* kItem = "boardproperties";

const std::string& document()
{
    static const std::string text = [] {
        std::string doc = "<Properties BoardID=\"0\">";
        for (int i = 0; doc.size() < kDocumentSize - 64; ++i)
            doc += "<Feature Name=\"F" + std::to_string(i) + "\" Mask=\"0x0000000F\" Visible=\"true\"/>";
        doc += "</Properties>";
        doc.resize(kDocumentSize - 1, ' ');
        return doc;
    }();
    return text;
}

std::int32_t standInGet(const char* target, const char* item, char* buffer, std::uint32_t size)
{
    if (std::strcmp(target, kTarget) != 0 || std::strcmp(item, kItem) != 0)
        return 100008;
    const std::string& doc = document();
    if (doc.size() + 1 > size)
        return 230001;
    std::memcpy(buffer, doc.c_str(), doc.size() + 1);
    return 0;
}

std::int32_t standInLength(const char*, const char*, std::uint32_t* length)
{
    *length = static_cast<std::uint32_t>(document().size());
    return 0;
}

// Puts the stand-in into the binding's table for one benchmark and takes it out again.
class StandInDriver {
public:
    StandInDriver()
    {
        z2e::driverApi().fn.ZaMoGetParamStruct_str = standInGet;
        z2e::driverApi().fn.ZaMoGetParamStruct_strLEN = standInLength;
    }
    ~StandInDriver() { z2e::driverApi().fn = z2e::DriverEntryPoints{}; }
};

void BM_GetterDriverExportDirect(benchmark::State& state)
{
    StandInDriver driver;
    std::vector<char> buffer(kDocumentSize);
    const auto get = z2e::driverApi().fn.ZaMoGetParamStruct_str;
    for (auto _ : state) {
        std::string text;
        if (get(kTarget, kItem, buffer.data(), static_cast<std::uint32_t>(buffer.size())) != 0) {
            state.SkipWithError("driver refused");
            break;
        }
        text.assign(buffer.data());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDocumentSize));
}

void BM_GetterLocalNode(benchmark::State& state)
{
    StandInDriver driver;
    qorinet_api::QORINetLocalClientNode node(1);
    for (auto _ : state) {
        std::string text;
        if (node.GetParamStruct_str(kTarget, kItem, text) != 0) {
            state.SkipWithError("node refused");
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDocumentSize));
}

// The caller's previous document goes to the driver as the buffer's initial content, so
// reusing the out text costs one more copy.
void BM_GetterLocalNodeReusedText(benchmark::State& state)
{
    StandInDriver driver;
    qorinet_api::QORINetLocalClientNode node(1);
    std::string text;
    for (auto _ : state) {
        if (node.GetParamStruct_str(kTarget, kItem, text) != 0) {
            state.SkipWithError("node refused");
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDocumentSize));
}

} // namespace

BENCHMARK(BM_GetterDriverExportDirect);
BENCHMARK(BM_GetterLocalNode);
BENCHMARK(BM_GetterLocalNodeReusedText);
