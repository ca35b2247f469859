// The configuration check of a deeply nested (refused) document against a bare walk over the
// same nodes: the ratio stays flat as the depth grows when the check is linear (a quadratic
// path building once took half a minute at depth 100,000).

#include "config/qorin_cfg_check.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <string>

namespace {

std::string deepDocument(std::size_t depth)
{
    std::string text = "<zmpxi_api_config><Definition/><Configuration>";
    for (std::size_t i = 0; i < depth; ++i)
        text += "<Logger>";
    for (std::size_t i = 0; i < depth; ++i)
        text += "</Logger>";
    return text + "</Configuration></zmpxi_api_config>";
}

struct NodeCount : pugi::xml_tree_walker {
    std::size_t nodes = 0;
    bool for_each(pugi::xml_node&) override
    {
        ++nodes;
        return true;
    }
};

void BM_ConfigCheck_Baseline_Walk(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_string(deepDocument(static_cast<std::size_t>(state.range(0))).c_str());
    for (auto _ : state) {
        NodeCount count;
        document.traverse(count);
        benchmark::DoNotOptimize(count.nodes);
    }
    state.SetComplexityN(state.range(0));
}

void BM_ConfigCheck_DeepNesting(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_string(deepDocument(static_cast<std::size_t>(state.range(0))).c_str());
    for (auto _ : state) {
        z2e::QorinCfgCheck check;
        benchmark::DoNotOptimize(check.checkDocument(document));
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_ConfigCheck_Baseline_Walk)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();
BENCHMARK(BM_ConfigCheck_DeepNesting)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();
