// A full demo system, 16 enclosures of 18 slots each holding a 32-channel board with its whole
// description, taken from description texts to a shown tree: parse + node tree +
// CTreeViewModel rebuild. The baseline builds a QStandardItemModel holding the same row texts
// (already composed, so it does no parsing at all) in the same run. The Ratio benchmark
// alternates both on the thread's CPU clock, so other load on the machine hits them alike,
// and reports ours / baseline (target: at most 1.0). The tree model makes a row's child items
// when a view first asks for them, so "ratio_all_rows" also gives the cost when every row is
// read, as a view expanded all the way down would do.

#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/slot_node.h"
#include "gui/models/tree_icon_table.h"
#include "gui/models/tree_view_model.h"

#include <QApplication>
#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kEnclosures = 16;
constexpr int kSlots = 18;
constexpr int kChannels = 32;

// Models and icons need an application object; benchmark_main gives us no main of our own.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "zamo2_bench";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
}

std::string hex8(unsigned value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string enclosureDescription(int number)
{
    return "<Properties EnclosureID=\"" + std::to_string(number) + "\"><EnclosureInfo><Name>QE-R16</Name>"
           "<SerialNumber>" + hex8(0xB1E000u + number) + "</SerialNumber><UserData>bench rack</UserData>"
           "<UserSlotCnt>" + std::to_string(kSlots) + "</UserSlotCnt><SlotNoOffset>2</SlotNoOffset>"
           "<SubVersion>1</SubVersion><StarHubSlot>10</StarHubSlot><EncName>0000E116</EncName><EncType>2</EncType>"
           "<EncVersion>1</EncVersion><Kind>Rack</Kind><Writable>true</Writable>"
           "<Options><FanMode>2</FanMode><SyncMaster>1</SyncMaster></Options>"
           "<SystemInfo><EnclosureNo>" + std::to_string(number) + "</EnclosureNo><BoardCount>" +
           std::to_string(kSlots) + "</BoardCount></SystemInfo></EnclosureInfo></Properties>";
}

std::string boardDescription(int enclosure, int slot)
{
    const int board = enclosure * kSlots + slot;
    const std::string serial = hex8(0x10A80000u + board);
    std::string text = "<Properties BoardID=\"" + std::to_string(board) + "\"><BoardInfo>"
        "<BoardName>QA-4032-TEMP</BoardName><DisplayName>QA-4032-TEMP</DisplayName><FamilyName>QA</FamilyName>"
        "<Type>4032-TEMP</Type><SerialNumber>" + serial + "</SerialNumber><TypeCode>22</TypeCode>"
        "<FWRevision>0300</FWRevision>"
        "<BaseBoard><BaseModel>QBA-32T</BaseModel><BaseVersion>1</BaseVersion><BaseId>22320101</BaseId>"
        "<SerialNumber>" + serial + "</SerialNumber><BaseBoardTemp Unit=\"degC\">31.5</BaseBoardTemp>"
        "<BaseCal><Date>2024-06-12</Date><BaseBoardTemp>23.7</BaseBoardTemp></BaseCal>"
        "<BaseTest><Passed>true</Passed><Date>2024-06-12</Date><BaseBoardTemp>23.7</BaseBoardTemp></BaseTest>"
        "<SelfCal><FeatureSet>00000001</FeatureSet></SelfCal></BaseBoard>"
        "<ConPanel><ConModel>QPA-32-TC</ConModel><ConVersion>1</ConVersion><SerialNumber>" + hex8(0x10C80000u + board) +
        "</SerialNumber><ConPanelTemp Unit=\"degC\">30.1</ConPanelTemp>"
        "<ConCal><Date>2023-05-08</Date><ConPanelTemp>22.5</ConPanelTemp></ConCal>"
        "<ConTest><Passed>true</Passed><Date>2023-05-08</Date><ConPanelTemp>22.5</ConPanelTemp></ConTest></ConPanel>"
        "<E2PromStatus><BaseE2Prom><Status>OK</Status><HeaderStatus>OK</HeaderStatus>"
        "<AutoBackupFile>backup/hw_" + serial + "_base.xml</AutoBackupFile></BaseE2Prom>"
        "<ConE2Prom><Status>OK</Status><HeaderStatus>OK</HeaderStatus>"
        "<AutoBackupFile>backup/hw_" + serial + "_con.xml</AutoBackupFile></ConE2Prom></E2PromStatus>"
        "<FeatureList>"
        "<FeatureItem Name=\"Sample rate\" Mask=\"00000003\" Visible=\"true\">"
        "<FeatureValue Value=\"00000000\" Visible=\"true\">20 kS/s</FeatureValue>"
        "<FeatureValue Value=\"00000001\" Visible=\"true\">50 kS/s</FeatureValue>"
        "<FeatureValue Value=\"00000002\" Visible=\"true\">100 kS/s</FeatureValue></FeatureItem>"
        "<FeatureItem Name=\"Anti-alias filter\" Mask=\"00000004\" Visible=\"true\">"
        "<FeatureValue Value=\"00000000\" Visible=\"true\">Off</FeatureValue>"
        "<FeatureValue Value=\"00000004\" Visible=\"true\">On</FeatureValue></FeatureItem>"
        "<FeatureItem Name=\"Service mode\" Mask=\"80000000\" Visible=\"false\">"
        "<FeatureValue Value=\"00000000\" Visible=\"true\">Off</FeatureValue></FeatureItem>"
        "</FeatureList></BoardInfo>"
        "<BoardFeatures><Family>Analog input</Family><Description>32 thermocouple inputs</Description>"
        "<AnalogInputs>32</AnalogInputs><SampleRate>50 kS/s</SampleRate><AntiAliasFilter>Off</AntiAliasFilter>"
        "<ServiceMode Visible=\"false\">Off</ServiceMode></BoardFeatures>"
        "<SystemInfo><EnclosureNo>" + std::to_string(enclosure) + "</EnclosureNo><SlotNo>" + std::to_string(slot + 2) +
        "</SlotNo><ChnNoStart>" + std::to_string(board * kChannels) + "</ChnNoStart>"
        "<PCIInfo><BusNo>" + std::to_string(enclosure + 3) + "</BusNo><DevNo>" + std::to_string(slot) +
        "</DevNo><VendorId>1F3A</VendorId><DeviceId>1F22</DeviceId></PCIInfo></SystemInfo><ChannelProperties>";
    for (int c = 0; c < kChannels; ++c) {
        text += "<AI" + std::to_string(c) + "><Mode Mode=\"Thermocouple K\"/><Range Unit=\"V\">0.08</Range>"
                "<Coupling>DC</Coupling><ColdJunction Unit=\"degC\">23.4</ColdJunction>"
                "<ChannelNo>" + std::to_string(board * kChannels + c) + "</ChannelNo></AI" + std::to_string(c) + ">";
    }
    return text + "</ChannelProperties></Properties>";
}

struct DemoTexts {
    std::vector<std::string> enclosures;
    std::vector<std::string> boards; // enclosure-major
};

const DemoTexts& demoTexts()
{
    static const DemoTexts texts = [] {
        DemoTexts t;
        for (int e = 0; e < kEnclosures; ++e) {
            t.enclosures.push_back(enclosureDescription(e));
            for (int s = 0; s < kSlots; ++s)
                t.boards.push_back(boardDescription(e, s));
        }
        return t;
    }();
    return texts;
}

const std::string& encNameDocument()
{
    static const std::string text = "<KEY EncName=\"0000E116\"><EncName>0000E116</EncName></KEY>";
    return text;
}

/// Parses the whole demo system into a fresh root.
std::unique_ptr<z2e::RootNode> parseDemoSystem()
{
    const DemoTexts& texts = demoTexts();
    auto root = std::make_unique<z2e::RootNode>(z2e::SystemKind::Demo);
    std::string caption;
    for (int e = 0; e < kEnclosures; ++e) {
        auto* enclosure = static_cast<z2e::EnclosureNode*>(
            root->addChild(std::make_unique<z2e::EnclosureNode>(z2e::SystemKind::Demo)));
        z2e::DescriptionParser::parseEnclosureDescription(enclosure, e, texts.enclosures[e], encNameDocument(), false);
        for (int s = 0; s < kSlots; ++s)
            z2e::DescriptionParser::parseBoardDescription(enclosure->slotAt(s), texts.boards[e * kSlots + s], caption);
    }
    return root;
}

struct ShownRow {
    int depth;
    QString text;
};

void collectRows(const QAbstractItemModel& model, const QModelIndex& parent, int depth, std::vector<ShownRow>& rows)
{
    // Recursion is fine here: the depth of these documents is small and known.
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        rows.push_back({depth, index.data().toString()});
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
        state.ResumeTiming();
    }
    const std::size_t before = mallinfo2().uordblks;
    auto kept = buildStandardModel(rows);
    reportRowsAndMemory(state, retainedMiB(before));
}
BENCHMARK(BM_DemoTree_StandardItemModelSameRows)->Unit(benchmark::kMillisecond);

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// All three builds alternate inside one loop.
void BM_DemoTree_Ratio(benchmark::State& state)
{
    const std::vector<ShownRow>& rows = shownRows();
    double ours = 0, oursAllRows = 0, baseline = 0;
    for (auto _ : state) {
        const double t0 = threadCpuMs();
        {
            OurSystem built = buildOurs();
            const double t1 = threadCpuMs();
            ours += t1 - t0;
            state.SetIterationTime((t1 - t0) / 1e3);
        }
        const double t2 = threadCpuMs();
        {
            OurSystem built = buildOurs();
            benchmark::DoNotOptimize(readAllRows(*built.model));
            oursAllRows += threadCpuMs() - t2;
        }
        const double t3 = threadCpuMs();
        {
            auto model = buildStandardModel(rows);
            baseline += threadCpuMs() - t3;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours / n;
    state.counters["ours_all_rows_ms"] = oursAllRows / n;
    state.counters["baseline_ms"] = baseline / n;
    state.counters["ratio"] = ours / baseline;
    state.counters["ratio_all_rows"] = oursAllRows / baseline;
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_DemoTree_Ratio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
