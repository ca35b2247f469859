// The self test of all 64 boards of four full racks as the tools run it (board identities,
// every board started, every result read and judged, result documents and history lines
// written) against the bare sequence of driver calls it issues, alternately in each
// iteration on the same driver. The driver's simulated time runs 100000 times faster.
// Reported: procedure_ms, bare_ms, their ratio (target: at most 1.15), ms per board, and the
// ratio of the procedure without its journal (no_journal_ratio), which tells the journal's
// share (two disk syncs per run) from the procedure's own, and sync_floor_ratio: the bare calls
// plus the least any durable journal costs (64 lines appended to a file and synced), the
// floor the disk under the working folder sets. Each timed run starts from a settled heap and
// none pays for destroying its outcome. The asset register is not on this path: it reads the
// journal when it is next opened.

#include "settled_heap.h"

#include "core/local_node_session.h"
#include "tools/board_test_procedure.h"
#include "tools/maintenance_journal.h"
#include "zmpxi/driver_api.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr int kRacks = 4;
constexpr int kSlots = 16;
constexpr int kBoards = kRacks * kSlots;

std::string hardware()
{
    std::ostringstream out;
    out << "<SimulatedHardware><SimulatedEnclosures>";
    for (int r = 0; r < kRacks; ++r)
        out << "<ID" << r << "><Model>QE-R16</Model><SerialNumber>00B1E1" << 10 + r
            << "</SerialNumber><UserData/><EncType>2</EncType><EncVersion>1</EncVersion></ID" << r << ">";
    out << "</SimulatedEnclosures><SimulatedBoards>";
    const char* const models[] = {"QA-4008.BNC", "QA-4016", "QC-3104", "QD-5032"};
    for (int b = 0; b < kBoards; ++b) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "10A8%04X", b + 1);
        out << "<ID" << b << "><Model>" << models[b % 4] << "</Model><EncNumber>" << b / kSlots
            << "</EncNumber><SlotNumber>" << 2 + b % kSlots << "</SlotNumber><FWRevision>0100</FWRevision>"
            << "<SerialNumber>" << serial << "</SerialNumber></ID" << b << ">";
    }
    out << "</SimulatedBoards></SimulatedHardware>";
    return out.str();
}

/// A folder of its own below `parent` (or, where that cannot be written, below /var/tmp),
/// removed with everything in it when the object goes; empty when none could be made.
struct Scratch {
    explicit Scratch(const std::string& parent)
    {
        for (const std::string& place : {parent, std::string("/var/tmp")}) {
            std::string pattern = place + "/self_test_bench_XXXXXX";
            if (::mkdtemp(pattern.data())) {
                path = pattern;
                return;
            }
        }
    }
    ~Scratch()
    {
        std::error_code ignored;
        if (!path.empty())
            fs::remove_all(path, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string path;
};

// The documents folder lies where files are not made and deleted by the thousand, as a user's
// does: beside a running test suite, or where the simulated driver rewrites its state files,
// the file system takes ten times as long to make a new file (it passes over every inode freed
// in the last moments). One for the whole run, so that the results of one repetition are not
// deleted under the next; ZAMO2_BENCH_DOCUMENTS names the place, /var/tmp by default.
const std::string& documents()
{
    const char* place = std::getenv("ZAMO2_BENCH_DOCUMENTS");
    static const Scratch folder(place && *place ? place : "/var/tmp");
    return folder.path;
}

// Milliseconds to append 64 history-sized lines to `fd` and sync them.
double syncedAppend(int fd)
{
    const std::string line(300, 'x');
    std::string lines;
    for (int b = 0; b < kBoards; ++b)
        lines += line + "\n";
    const auto t0 = std::chrono::steady_clock::now();
    if (::write(fd, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size()) || ::fsync(fd) != 0)
        return 0;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// What the procedure sends: identity, start and result of every board.
void bareSequence(z2e::QorinNodeUtilWrapper& wrapper)
{
    const std::uint32_t count = wrapper.getBoardCount();
    std::string text;
    for (std::uint32_t b = 0; b < count; ++b) {
        wrapper.getBoardProperties(b, text);
        benchmark::DoNotOptimize(text.data());
    }
    for (std::uint32_t b = 0; b < count; ++b)
        wrapper.startSelfTest(b, "");
    for (std::uint32_t b = 0; b < count; ++b) {
        wrapper.getSelfTestResult(b, text);
        benchmark::DoNotOptimize(text.data());
    }
}

void BM_SelfTest64BoardsVsBareCalls(benchmark::State& state)
{
    const Scratch driverFiles("/dev/shm");
    if (driverFiles.path.empty()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const fs::path dir = driverFiles.path;
    for (const char* sub : {"config", "state", "runtime"})
        fs::create_directories(dir / sub);
    std::ofstream(dir / "hardware.xml") << hardware();
    ::setenv("ZMPXI_API_CONFIG_DIR", (dir / "config").c_str(), 1);
    ::setenv("ZMPXI_SIM_STATE_DIR", (dir / "state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
    ::setenv("ZMPXI_SIM_HARDWARE", (dir / "hardware.xml").c_str(), 1);
    ::setenv("ZAMO2_COMMON_DOCUMENTS", documents().c_str(), 1);
    ::setenv("ZMPXI_SIM_SPEED", "100000", 1);
    {
        z2e::LocalNodeSession session("", "SIMMODE_OFF");
        z2e::QorinNodeUtilWrapper& wrapper = session.wrapper();
        if (!session.connected() || wrapper.getBoardCount() != kBoards) {
            state.SkipWithError("the 64 boards did not come up");
        } else {
            z2e::MaintenanceJournal journal(z2e::MaintenanceJournal::defaultFolder(), "local");
            z2e::BoardTestProcedure procedure(wrapper, &journal);
            z2e::BoardTestProcedure unjournalled(wrapper, nullptr);
            const std::atomic<bool> go{false};
            const int floorFd = ::open((fs::path(documents()) / "floor.jsonl").c_str(),
                                       O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            // Writes another benchmark left on their way to the disk would be timed as the
            // journal's syncs (and their write-back takes processor time): they go out first.
            if (floorFd >= 0)
                ::syncfs(floorFd);
            double floorTotal = 0;
            double procedureTotal = 0;
            double bareTotal = 0;
            double unjournalledTotal = 0;
            using Clock = std::chrono::steady_clock;
            for (auto _ : state) {
                bench::settleHeap();
                const auto t0 = Clock::now();
                const z2e::BoardTestOutcome outcome = procedure.run(z2e::BoardTest::SelfTest, {}, nullptr, go);
                const auto t1 = Clock::now();
                bench::settleHeap();
                const auto t1b = Clock::now();
                bareSequence(wrapper);
                const auto t2 = Clock::now();
                z2e::BoardTestOutcome unjournalledOutcome;
                bench::settleHeap();
                const auto t2b = Clock::now();
                unjournalledOutcome = unjournalled.run(z2e::BoardTest::SelfTest, {}, nullptr, go);
                const auto t3 = Clock::now();
                benchmark::DoNotOptimize(unjournalledOutcome.rows.data());
                if (outcome.status != 0 || outcome.rows.size() != kBoards) {
                    state.SkipWithError("the self test did not run on every board");
                    break;
                }
                procedureTotal += std::chrono::duration<double, std::milli>(t1 - t0).count();
                bareTotal += std::chrono::duration<double, std::milli>(t2 - t1b).count();
                unjournalledTotal += std::chrono::duration<double, std::milli>(t3 - t2b).count();
                floorTotal += syncedAppend(floorFd);
            }
            if (floorFd >= 0)
                ::close(floorFd);
            const double runs = static_cast<double>(state.iterations());
            if (runs > 0 && bareTotal > 0) {
                state.counters["procedure_ms"] = procedureTotal / runs;
                state.counters["bare_ms"] = bareTotal / runs;
                state.counters["ratio"] = procedureTotal / bareTotal;
                state.counters["ms_per_board"] = procedureTotal / runs / kBoards;
                state.counters["no_journal_ratio"] = unjournalledTotal / bareTotal;
                state.counters["sync_floor_ratio"] = (bareTotal + floorTotal) / bareTotal;
            }
        }
    }
    z2e::unloadDriverApi();
}

} // namespace

BENCHMARK(BM_SelfTest64BoardsVsBareCalls)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
