// A full demo system, 16 enclosures of 18 slots each holding a 32-channel board with its whole
// description, taken from description texts to a shown tree: parse + node tree +
// CTreeViewModel rebuild. The baseline builds a QStandardItemModel holding the same rows (their
// texts already composed, so it does no parsing at all; the same icon and colour) in the same
// run. The Ratio benchmark alternates both on the thread's CPU clock, so other load on the
// machine hits them alike, each build starting from a settled heap, and reports ours / baseline
// (target: at most 1.0). The tree model makes a row's child items
// when a view first asks for them, so "ratio_all_rows" also gives the cost when every row is
// read, as a view expanded all the way down would do, against the baseline's plain build;
// "ratio_all_rows_both_read" sets it against the baseline reading every row the same way.
// Retained memory of both, before and after every row is read, and its ratios are counters
// of the Ratio benchmark too.

#include "settled_heap.h"
#include "thread_cpu.h"
#include "bench_demo_system.h"
#include "core/root_node.h"
#include "gui/models/tree_icon_table.h"
#include "gui/models/tree_view_model.h"

#include <QApplication>
#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench_demo::ensureApplication;
using bench_demo::parseDemoSystem;

struct ShownRow {
    int depth;
    QString text;
    QVariant icon;
    QVariant colour;
};

void collectRows(const QAbstractItemModel& model, const QModelIndex& parent, int depth, std::vector<ShownRow>& rows)
{
    // Recursion is fine here: the depth of these documents is small and known.
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        rows.push_back(
            {depth, index.data().toString(), index.data(Qt::DecorationRole), index.data(Qt::ForegroundRole)});
        collectRows(model, index, depth + 1, rows);
    }
}

const z2e::TreeIconTable& icons()
{
    ensureApplication();
    static const z2e::TreeIconTable table;
    return table;
}

/// The rows our model shows, in tree order, for the baseline to rebuild.
const std::vector<ShownRow>& shownRows()
{
    static const std::vector<ShownRow> rows = [] {
        const auto root = parseDemoSystem();
        z2e::CTreeViewModel model(icons());
        model.rebuildFrom(root.get());
        std::vector<ShownRow> result;
        collectRows(model, QModelIndex(), 0, result);
        return result;
    }();
    return rows;
}

struct OurSystem {
    std::unique_ptr<z2e::RootNode> root;
    std::unique_ptr<z2e::CTreeViewModel> model;
};

OurSystem buildOurs()
{
    OurSystem ours{parseDemoSystem(), std::make_unique<z2e::CTreeViewModel>(icons())};
    ours.model->rebuildFrom(ours.root.get());
    return ours;
}

/// The usual way to fill a standard model: items built detached, then handed over whole.
std::unique_ptr<QStandardItemModel> buildStandardModel(const std::vector<ShownRow>& rows)
{
    auto model = std::make_unique<QStandardItemModel>();
    std::vector<QStandardItem*> parents;
    QStandardItem* top = nullptr;
    for (const ShownRow& row : rows) {
        auto* item = new QStandardItem(row.text);
        if (row.icon.isValid())
            item->setData(row.icon, Qt::DecorationRole);
        if (row.colour.isValid())
            item->setData(row.colour, Qt::ForegroundRole);
        parents.resize(static_cast<std::size_t>(row.depth));
        if (parents.empty())
            top = item;
        else
            parents.back()->appendRow(item);
        parents.push_back(item);
    }
    if (top)
        model->appendRow(top);
    return model;
}

double retainedMiB(std::size_t before)
{
    return static_cast<double>(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
}

double maxRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void reportRowsAndMemory(benchmark::State& state, double retained)
{
    state.counters["rows"] = static_cast<double>(shownRows().size());
    state.counters["retained_MiB"] = retained;
    state.counters["maxrss_MiB"] = maxRssMiB();
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(shownRows().size()));
}

/// Reads every row's text, icon and colour, making all items.
std::size_t readAllRows(const QAbstractItemModel& model)
{
    std::size_t rows = 0;
    std::vector<QModelIndex> pending = {QModelIndex()};
    while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        for (int r = 0, n = model.rowCount(parent); r < n; ++r) {
            const QModelIndex index = model.index(r, 0, parent);
            rows += index.data(Qt::DisplayRole).toString().isEmpty() ? 0 : 1;
            benchmark::DoNotOptimize(index.data(Qt::DecorationRole));
            benchmark::DoNotOptimize(index.data(Qt::ForegroundRole));
            pending.push_back(index);
        }
    }
    return rows;
}

void BM_DemoTree_ParseBuildRebuild(benchmark::State& state)
{
    shownRows();
    for (auto _ : state) {
        OurSystem ours = buildOurs();
        benchmark::DoNotOptimize(ours.model->rowCount());
        state.PauseTiming();
        ours = {};
        bench::settleHeap();
        state.ResumeTiming();
    }
    const std::size_t before = mallinfo2().uordblks;
    OurSystem kept = buildOurs();
    reportRowsAndMemory(state, retainedMiB(before));
    readAllRows(*kept.model);
    state.counters["retained_all_rows_MiB"] = retainedMiB(before);
}
BENCHMARK(BM_DemoTree_ParseBuildRebuild)->Unit(benchmark::kMillisecond);

void BM_DemoTree_StandardItemModelSameRows(benchmark::State& state)
{
    const std::vector<ShownRow>& rows = shownRows();
    for (auto _ : state) {
        auto model = buildStandardModel(rows);
        benchmark::DoNotOptimize(model->rowCount());
        state.PauseTiming();
        model.reset();
        bench::settleHeap();
        state.ResumeTiming();
    }
    const std::size_t before = mallinfo2().uordblks;
    auto kept = buildStandardModel(rows);
    reportRowsAndMemory(state, retainedMiB(before));
}
BENCHMARK(BM_DemoTree_StandardItemModelSameRows)->Unit(benchmark::kMillisecond);

struct RetainedMemory {
    double ours = 0, oursAllRows = 0, baseline = 0, baselineAllRows = 0;
};

/// Heap kept by each model with the rows it holds, after the build and after every row is read.
RetainedMemory measureRetained(const std::vector<ShownRow>& rows)
{
    RetainedMemory retained;
    {
        const std::size_t before = mallinfo2().uordblks;
        OurSystem kept = buildOurs();
        retained.ours = retainedMiB(before);
        readAllRows(*kept.model);
        retained.oursAllRows = retainedMiB(before);
    }
    const std::size_t before = mallinfo2().uordblks;
    auto kept = buildStandardModel(rows);
    retained.baseline = retainedMiB(before);
    readAllRows(*kept);
    retained.baselineAllRows = retainedMiB(before);
    return retained;
}

void reportRetained(benchmark::State& state, const RetainedMemory& retained)
{
    state.counters["retained_MiB"] = retained.ours;
    state.counters["retained_all_rows_MiB"] = retained.oursAllRows;
    state.counters["retained_baseline_MiB"] = retained.baseline;
    state.counters["retained_baseline_all_rows_MiB"] = retained.baselineAllRows;
    state.counters["retained_ratio"] = retained.ours / retained.baseline;
    state.counters["retained_all_rows_ratio"] = retained.oursAllRows / retained.baselineAllRows;
}

// All four runs alternate inside one loop.
void BM_DemoTree_Ratio(benchmark::State& state)
{
    const std::vector<ShownRow>& rows = shownRows();
    double ours = 0, oursAllRows = 0, baseline = 0, baselineAllRows = 0;
    for (auto _ : state) {
        bench::settleHeap();
        const double t0 = bench::threadCpuMs();
        {
            OurSystem built = buildOurs();
            const double t1 = bench::threadCpuMs();
            ours += t1 - t0;
            state.SetIterationTime((t1 - t0) / 1e3);
        }
        bench::settleHeap();
        const double t2 = bench::threadCpuMs();
        {
            OurSystem built = buildOurs();
            benchmark::DoNotOptimize(readAllRows(*built.model));
            oursAllRows += bench::threadCpuMs() - t2;
        }
        bench::settleHeap();
        const double t3 = bench::threadCpuMs();
        {
            auto model = buildStandardModel(rows);
            baseline += bench::threadCpuMs() - t3;
        }
        bench::settleHeap();
        const double t4 = bench::threadCpuMs();
        {
            auto model = buildStandardModel(rows);
            benchmark::DoNotOptimize(readAllRows(*model));
            baselineAllRows += bench::threadCpuMs() - t4;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours / n;
    state.counters["ours_all_rows_ms"] = oursAllRows / n;
    state.counters["baseline_ms"] = baseline / n;
    state.counters["baseline_all_rows_ms"] = baselineAllRows / n;
    state.counters["ratio"] = ours / baseline;
    state.counters["ratio_all_rows"] = oursAllRows / baseline;
    state.counters["ratio_all_rows_both_read"] = oursAllRows / baselineAllRows;
    state.counters["rows"] = static_cast<double>(rows.size());
    reportRetained(state, measureRetained(rows));
}
BENCHMARK(BM_DemoTree_Ratio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
