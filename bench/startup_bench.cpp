// Start-up of the program: process start to the first paint of the filled main window (local
// hardware of the example description, a demo system of 16 enclosures), against a bare
// QMainWindow with a tree view of as many rows, started and painted the same way, offscreen,
// alternately in the same run. Reported as medians of the runs: main_ms, bare_ms and their
// ratio (target: at most 1.5); main_cpu_ms, bare_cpu_ms and cpu_ratio, the CPU time each
// process had spent by its first paint, which a loaded machine disturbs less.
//
// The baseline is this very program started again with ZAMO2_STARTUP_PROBE=bare: it then only
// brings up that window, waits for its first paint and ends.

#include "support/process.h"
#include "support/site.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// ---- The baseline process ----

class PaintExit : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            timespec cpu{};
            ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
            std::printf("first paint %lld cpu %lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        static_cast<long long>(cpu.tv_sec) * 1000000000LL + cpu.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

int runBareWindow()
{
    int argc = 1;
    char name[] = "zamo2_bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QMainWindow window;
    // As many rows as the program's hardware tree shows at first: a system, its enclosures and
    // boards.
    QStandardItemModel model;
    auto* system = new QStandardItem("Local System");
    for (int e = 0; e < 4; ++e) {
        auto* enclosure = new QStandardItem(QString("Enclosure %1").arg(e));
        for (int b = 0; b < 4; ++b)
            enclosure->appendRow(new QStandardItem(QString("Slot %1: Board").arg(b + 2)));
        system->appendRow(enclosure);
    }
    model.appendRow(system);
    auto* tree = new QTreeView;
    tree->setModel(&model);
    tree->expandAll();
    window.setCentralWidget(tree);
    window.resize(1024, 720);
    PaintExit exitOnPaint;
    tree->viewport()->installEventFilter(&exitOnPaint);
    window.show();
    return application.exec();
}

// Runs before benchmark_main when this program is the baseline process.
const bool g_probe = [] {
    const char* probe = std::getenv("ZAMO2_STARTUP_PROBE");
    if (probe && std::string(probe) == "bare")
        std::_Exit(runBareWindow());
    return false;
}();

// ---- The measuring side ----

// The example configuration with its demo enclosures replaced by `count` copies of the first.
std::string demoConfiguration(const std::string& example, int count)
{
    const std::string open = "<SimulatedEnclosures>";
    const std::string close = "</SimulatedEnclosures>";
    const std::size_t begin = example.find(open);
    const std::size_t end = example.find(close);
    const std::size_t firstBegin = example.find("<ID0>", begin);
    const std::size_t firstEnd = example.find("</ID0>", begin);
    if (begin == std::string::npos || end == std::string::npos || firstEnd == std::string::npos)
        return example;
    const std::string body = example.substr(firstBegin + 5, firstEnd - firstBegin - 5);
    std::string entries;
    for (int i = 0; i < count; ++i) {
        std::string entry = body;
        const std::size_t serial = entry.find("00D0E108");
        if (serial != std::string::npos) {
            char text[9];
            std::snprintf(text, sizeof text, "00D1%04X", i);
            entry.replace(serial, 8, text);
        }
        entries += "<ID" + std::to_string(i) + ">" + entry + "</ID" + std::to_string(i) + ">\n";
    }
    return example.substr(0, begin + open.size()) + "\n" + entries + example.substr(end);
}

struct FirstPaint {
    double ms = -1;    ///< from the start of the program; negative when it did not run, report or end well
    double cpuMs = -1; ///< the CPU time the program had spent by then
};

// When `program` first painted, as it reports on its standard output. Its end is not counted:
// start-up is what the operator waits for.
FirstPaint firstPaint(const std::string& program, const z2e::test::Environment& environment)
{
    const auto start = std::chrono::steady_clock::now();
    const z2e::test::ProcessResult run = z2e::test::runProcess(program, {}, environment, std::chrono::minutes(2));
    const std::size_t at = run.out.find("first paint ");
    const std::size_t cpuAt = run.out.find(" cpu ", at);
    if (run.exitCode != 0 || at == std::string::npos || cpuAt == std::string::npos)
        return {};
    const long long painted = std::atoll(run.out.c_str() + at + 12);
    const long long started = std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    return {static_cast<double>(painted - started) / 1e6, std::atof(run.out.c_str() + cpuAt + 5) / 1e6};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The example site with a demo system of 16 enclosures; the driver at its real pace.
z2e::test::Environment siteEnvironment(const z2e::test::SimSite& site)
{
    z2e::test::writeFile(site.configFile(), demoConfiguration(z2e::test::readFile(site.configFile()), 16));
    z2e::test::Environment environment = site.environment();
    environment.insert(environment.end(),
                       {"QT_QPA_PLATFORM=offscreen", "ZAMO2_AUTO_ANSWER=cancel", "ZAMO2_EXIT_AFTER_PAINT=1"});
    return environment;
}

void BM_StartupMainWindowVsBare(benchmark::State& state)
{
    const std::string explorer = z2e::test::besideMe("zamo2explorer");
    const std::string self = z2e::test::besideMe("zamo2_bench");
    const z2e::test::SimSite site(z2e::test::SiteOptions{true, false});
    const z2e::test::Environment environment = siteEnvironment(site);
    const z2e::test::Environment bareEnvironment{"ZAMO2_STARTUP_PROBE=bare", "QT_QPA_PLATFORM=offscreen"};
    // Warm the caches (program files, fonts, the driver's first run) for both.
    if (firstPaint(explorer, environment).ms < 0 || firstPaint(self, bareEnvironment).ms < 0) {
        state.SkipWithError("zamo2explorer or the baseline did not run");
        return;
    }
    std::vector<double> main, bare, mainCpu, bareCpu;
    for (auto _ : state) {
        const FirstPaint ours = firstPaint(explorer, environment);
        const FirstPaint theirs = firstPaint(self, bareEnvironment);
        if (ours.ms < 0 || theirs.ms < 0) {
            state.SkipWithError("a start-up failed");
            return;
        }
        main.push_back(ours.ms);
        bare.push_back(theirs.ms);
        mainCpu.push_back(ours.cpuMs);
        bareCpu.push_back(theirs.cpuMs);
    }
    state.counters["main_ms"] = median(main);
    state.counters["bare_ms"] = median(bare);
    state.counters["ratio"] = median(main) / median(bare);
    state.counters["main_cpu_ms"] = median(mainCpu);
    state.counters["bare_cpu_ms"] = median(bareCpu);
    state.counters["cpu_ratio"] = median(mainCpu) / median(bareCpu);
}
BENCHMARK(BM_StartupMainWindowVsBare)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
