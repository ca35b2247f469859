// The Fleet tab's table for 1,024 nodes of 8 boards: rows arriving node by node into FleetModel,
// then sorted by serial through the tab's proxy, against a QStandardItemModel given the same cell
// texts row by row and sorted by the same column through the same proxy, as a view sorts it. (Its
// own sort() moves the items, after which each item's teardown searches its siblings: minutes
// per run.) Both alternate in one loop on the thread's CPU clock; "ratio" is ours / baseline
// (target: at most 1.2).

#include "bench_demo_system.h"
#include "gui/models/fleet_model.h"
#include "thread_cpu.h"
#include "tools/fleet_reader.h"

#include <QSortFilterProxyModel>
#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kNodes = 1024;
constexpr int kBoardsPerNode = 8;

std::string hex8(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

// What a fleet read of generated nodes gives: distinct serials, a few models, varied dates.
const std::vector<std::vector<z2e::FleetBoard>>& fleet()
{
    static const std::vector<std::vector<z2e::FleetBoard>> nodes = [] {
        std::mt19937 random(7);
        const char* const models[] = {"QA-4016", "QC-3108-TS", "QN-6222-COMBO", "QD-5032", "QA-2208-MULTI"};
        std::vector<std::vector<z2e::FleetBoard>> all(kNodes);
        for (int n = 0; n < kNodes; ++n) {
            for (int b = 0; b < kBoardsPerNode; ++b) {
                z2e::FleetBoard board;
                board.system = "Fleet-" + std::to_string(n + 1);
                board.address = "127.0." + std::to_string(1 + n / 254) + "." + std::to_string(1 + n % 254);
                board.index = b;
                board.enclosure = 0;
                board.slot = b + 2;
                board.model = models[random() % 5];
                board.serial = hex8(static_cast<std::uint32_t>(random()));
                board.firmware = random() % 4 == 0 ? "0251" : "0254";
                board.firmwareLatest = "0254";
                board.calibrationDate =
                    "2026-" + std::to_string(10 + random() % 3) + "-1" + std::to_string(random() % 9);
                board.baseTemperature = std::to_string(25 + random() % 50) + ".5";
                board.conTemperature = std::to_string(25 + random() % 10) + ".0";
                if (board.firmware == "0251")
                    board.warnings.push_back("firmware 0251 is older than the release 0254");
                all[static_cast<std::size_t>(n)].push_back(std::move(board));
            }
        }
        return all;
    }();
    return nodes;
}

double buildAndSortOurs(const z2e::FleetTable::Options& options)
{
    const double t0 = bench::threadCpuMs();
    z2e::FleetModel model;
    model.setOptions(options);
    QSortFilterProxyModel proxy;
    proxy.setSortRole(z2e::FleetModel::kSortRole);
    proxy.setSourceModel(&model);
    for (const std::vector<z2e::FleetBoard>& node : fleet())
        model.append(node);
    proxy.sort(z2e::FleetTable::Serial);
    benchmark::DoNotOptimize(proxy.index(0, 0).data());
    return bench::threadCpuMs() - t0;
}

double buildAndSortBaseline(const z2e::FleetTable::Options& options)
{
    const double t0 = bench::threadCpuMs();
    QStandardItemModel model(0, z2e::FleetTable::ColumnCount);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    for (const std::vector<z2e::FleetBoard>& node : fleet()) {
        for (const z2e::FleetBoard& board : node) {
            QList<QStandardItem*> row;
            for (int c = 0; c < z2e::FleetTable::ColumnCount; ++c)
                row << new QStandardItem(
                    QString::fromStdString(z2e::FleetTable::cell(board, z2e::FleetTable::Column(c), options)));
            model.appendRow(row);
        }
    }
    proxy.sort(z2e::FleetTable::Serial);
    benchmark::DoNotOptimize(proxy.index(0, 0).data());
    return bench::threadCpuMs() - t0;
}

// Ours alone, for a profile without the baseline's teardown in it.
void BM_FleetTable_Ours(benchmark::State& state)
{
    bench_demo::ensureApplication();
    z2e::FleetTable::Options options;
    options.today = "2026-12-07";
    for (auto _ : state)
        state.SetIterationTime(buildAndSortOurs(options) / 1e3);
}
BENCHMARK(BM_FleetTable_Ours)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FleetTable_Ratio(benchmark::State& state)
{
    bench_demo::ensureApplication();
    z2e::FleetTable::Options options;
    options.today = "2026-12-07";
    double ours = 0;
    double baseline = 0;
    for (auto _ : state) {
        const double mine = buildAndSortOurs(options);
        ours += mine;
        baseline += buildAndSortBaseline(options);
        state.SetIterationTime(mine / 1e3);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = kNodes * kBoardsPerNode;
    state.counters["ours_ms"] = ours / n;
    state.counters["baseline_ms"] = baseline / n;
    state.counters["ratio"] = ours / baseline;
}
BENCHMARK(BM_FleetTable_Ratio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
