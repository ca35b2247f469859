// The readers of the whole maintenance history (the last self test of every board, as the
// inventory and the problem list take it) over a history of 200,000 lines, against the bare
// read of the same lines (JournalLineReader alone), in one run. Reported: the time ratio, and
// the memory each takes at its peak (in a child process of its own, its high-water mark reset
// first) as MiB and as a share of the history's size ("reader_peak_per_history_byte"): a
// reader that keeps every line takes more than the file; one that keeps one line per board
// takes next to nothing.

#include "tools/journal_line_reader.h"
#include "tools/last_self_tests.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kLines = 200000;
constexpr int kBoards = 256;

struct History {
    History()
    {
        char pattern[] = "/var/tmp/journal_readers_bench_XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        folder = pattern;
        std::ofstream out(folder + "/history.jsonl");
        for (int i = 0; i < kLines; ++i) {
            char serial[16];
            std::snprintf(serial, sizeof serial, "10A8%04X", i % kBoards);
            out << "{\"time\":\"2026-12-08T07:00:00.000Z\",\"node\":\"local\",\"board\":" << i % 16
                << ",\"slot\":" << 2 + i % 16 << ",\"enclosure\":0,\"model\":\"QA-4008.BNC\",\"serial\":\"" << serial
                << "\",\"firmware\":\"0254\",\"operation\":\"" << (i % 3 ? "selftest" : "autozero")
                << "\",\"parameters\":\"\",\"result\":0,\"status\":\"PASSED\",\"snapshots\":[],"
                   "\"resultDocument\":\"results.log@"
                << i * 1700 << "\",\"durationSeconds\":1.000}\n";
        }
        out.close();
        bytes = static_cast<double>(fs::file_size(folder + "/history.jsonl"));
    }
    ~History()
    {
        std::error_code ignored;
        if (!folder.empty())
            fs::remove_all(folder, ignored);
    }
    History(const History&) = delete;
    History& operator=(const History&) = delete;
    std::string folder;
    double bytes = 0;
};

long highWaterKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// MiB the work adds to the process's peak, measured in a child so that nothing the bench
// process holds counts; -1 when it could not be measured.
double peakMiB(const std::function<void()>& work)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        // The heap the parent freed is still resident: given back first, or the work would
        // reuse it unseen.
        ::malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = highWaterKiB();
        work();
        const long grown = highWaterKiB() - before;
        const ssize_t ignored = ::write(pipeEnds[1], &grown, sizeof grown);
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    long grown = -1;
    if (child < 0 || ::read(pipeEnds[0], &grown, sizeof grown) != static_cast<ssize_t>(sizeof grown))
        grown = -1;
    ::close(pipeEnds[0]);
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    return grown < 0 ? -1 : static_cast<double>(grown) / 1024.0;
}

void bareRead(const std::string& folder)
{
    z2e::JournalLineReader reader(folder + "/history.jsonl");
    std::size_t total = 0;
    for (std::string line; reader.next(line);)
        total += line.size();
    benchmark::DoNotOptimize(total);
}

void lastSelfTests(const std::string& folder)
{
    const z2e::LastSelfTests tests = z2e::LastSelfTests::ofJournal(folder);
    z2e::SelfTestRecord record;
    benchmark::DoNotOptimize(tests.find("10A80001", record));
}

void BM_LastSelfTestsOfALongHistoryVsBareRead(benchmark::State& state)
{
    static const History history;
    if (history.folder.empty()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    using Clock = std::chrono::steady_clock;
    double readerSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        lastSelfTests(history.folder);
        const auto t1 = Clock::now();
        bareRead(history.folder);
        const auto t2 = Clock::now();
        readerSeconds += std::chrono::duration<double>(t1 - t0).count();
        bareSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double readerPeak = peakMiB([] { lastSelfTests(history.folder); });
    const double barePeak = peakMiB([] { bareRead(history.folder); });
    if (bareSeconds > 0)
        state.counters["ratio"] = readerSeconds / bareSeconds;
    state.counters["history_mib"] = history.bytes / (1024.0 * 1024.0);
    state.counters["reader_peak_mib"] = readerPeak;
    state.counters["bare_peak_mib"] = barePeak;
    state.counters["reader_peak_per_history_byte"] = readerPeak * 1024.0 * 1024.0 / history.bytes;
}

} // namespace

BENCHMARK(BM_LastSelfTestsOfALongHistoryVsBareRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
