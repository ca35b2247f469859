// What the asset register adds to each journal append of a self test of 64 boards: the 64
// history lines recorded in one transaction of an open register, against the journal's own
// append of the same lines (one write, one sync), alternately in each iteration in one folder
// of /var/tmp. Each iteration's lines are new (a later time), so the register grows as in use.
// Reported: register_ms, append_ms, their ratio and register_cpu_ms, the register's thread CPU
// time, which a busy machine disturbs less than wall time. No target: the register's share of a
// tool run is the self test's ratio against its no_register_ratio.

#include "thread_cpu.h"
#include "tools/asset_register.h"
#include "tools/maintenance_journal.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kBoards = 64;

// The self test's lines of run `run`, as the journal writes them.
std::vector<std::string> selfTestLines(const z2e::MaintenanceJournal& journal, int run)
{
    std::vector<std::string> lines;
    for (int b = 0; b < kBoards; ++b) {
        z2e::JournalEntry entry;
        char text[40];
        std::snprintf(text, sizeof text, "2026-01-%02dT%02d:%02d:00.000Z", 1 + run / 1440, run / 60 % 24, run % 60);
        entry.time = text;
        std::snprintf(text, sizeof text, "10A8%04X", b + 1);
        entry.serial = text;
        entry.model = "QA-4008.BNC";
        entry.boardEnclosure = b / 16;
        entry.slot = 2 + static_cast<std::uint32_t>(b % 16);
        entry.operation = "selftest";
        entry.statusText = "PASSED";
        entry.resultDocument = std::string(text) + "_selftest_result.xml";
        lines.push_back(journal.line(entry));
    }
    return lines;
}

void BM_AssetRegister64LinesVsJournalAppend(benchmark::State& state)
{
    std::string folder = "/var/tmp/asset_register_bench_XXXXXX";
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("no scratch folder");
        return;
    }
    {
        const z2e::MaintenanceJournal journal(folder + "/maintenance", "local");
        z2e::AssetRegister assets(folder);
        const int fd = ::open((folder + "/history.jsonl").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0 || !assets.open()) {
            state.SkipWithError("the register or the journal file could not be opened");
        } else {
            using Clock = std::chrono::steady_clock;
            double registerTotal = 0;
            double appendTotal = 0;
            double cpuTotal = 0;
            int run = 0;
            for (auto _ : state) {
                const std::vector<std::string> lines = selfTestLines(journal, run++);
                std::string text;
                for (const std::string& line : lines)
                    text += line + "\n";
                const auto t0 = Clock::now();
                const double cpu0 = bench::threadCpuMs();
                const bool recorded = assets.recordJournalLines(lines);
                const double cpu1 = bench::threadCpuMs();
                const auto t1 = Clock::now();
                const bool appended =
                    ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
                const auto t2 = Clock::now();
                if (!recorded || !appended) {
                    state.SkipWithError("recording or appending failed");
                    break;
                }
                registerTotal += std::chrono::duration<double, std::milli>(t1 - t0).count();
                appendTotal += std::chrono::duration<double, std::milli>(t2 - t1).count();
                cpuTotal += cpu1 - cpu0;
            }
            const double runs = static_cast<double>(state.iterations());
            if (runs > 0 && appendTotal > 0) {
                state.counters["register_ms"] = registerTotal / runs;
                state.counters["append_ms"] = appendTotal / runs;
                state.counters["ratio"] = registerTotal / appendTotal;
                state.counters["register_cpu_ms"] = cpuTotal / runs;
            }
        }
        if (fd >= 0)
            ::close(fd);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace

BENCHMARK(BM_AssetRegister64LinesVsJournalAppend)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();
