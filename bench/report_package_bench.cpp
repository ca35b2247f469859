// The report package of a 1 GiB log folder of 2,000 files against `zip -r -9` of the same folder,
// alternately in each iteration. The package is made in a child process, so that its peak
// memory can be measured from an idle start: the rise of VmHWM after it was reset.
// Reported: package_s, zip_s, their ratio (target: at most 1.1), peak_mib_above_idle (target:
// at most 64) and the sizes of both archives. Skipped when `zip` is not installed.

#include "support/process.h"

#include "tools/report_package.h"

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 2000;
constexpr std::size_t kFileBytes = (std::size_t{1} << 30) / kFiles;

std::string zipProgram()
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string folder; std::getline(path, folder, ':');) {
        const std::string candidate = folder + "/zip";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

// Driver log lines: time stamps, a few message kinds, board numbers, values and addresses, so
// that the text deflates about as well as real logs do.
void writeLogFolder(const fs::path& folder)
{
    static const char* const kinds[] = {
        "command: GetParamStruct_str target BoardID%u item Properties -> 0",
        "command: SetParamI32 board %u command 0x%04x value %u -> 0",
        "debug: dma ring of board %u: head %u tail %u free %u",
        "warning: board %u temperature %u.%u degC above the limit",
        "command: ReadFrames board %u channel %u count %u -> 0",
        "debug: firmware check of board %u: installed %04x latest %04x",
    };
    std::mt19937 random(20261206);
    char line[256];
    for (int f = 0; f < kFiles; ++f) {
        const fs::path sub = folder / ("session_" + std::to_string(f / 100));
        fs::create_directories(sub);
        std::string text;
        text.reserve(kFileBytes + 256);
        std::uint64_t micros = 1'700'000'000'000'000ull + static_cast<std::uint64_t>(f) * 3'600'000'000ull;
        while (text.size() < kFileBytes) {
            micros += random() % 50'000;
            const std::time_t seconds = static_cast<std::time_t>(micros / 1'000'000);
            std::tm parts{};
            ::gmtime_r(&seconds, &parts);
            int at = static_cast<int>(std::strftime(line, sizeof line, "%Y-%m-%dT%H:%M:%S", &parts));
            at += std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), ".%06u [zmpxi_api] ",
                                static_cast<unsigned>(micros % 1'000'000));
            std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), kinds[random() % 6], random() % 16,
                          random() % 4096, random() % 100000, random() % 10);
            text += line;
            text += '\n';
        }
        text.resize(kFileBytes);
        std::ofstream(sub / ("zmpxi_api_" + std::to_string(f) + ".log"), std::ios::binary) << text;
    }
}

std::uint64_t statusKib(const char* key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0)
            return std::strtoull(line.c_str() + std::char_traits<char>::length(key), nullptr, 10);
    }
    return 0;
}

struct PackageRun {
    double seconds = -1;
    double peakMibAboveIdle = -1;
};

// Makes the package in a child: the peak-RSS mark is reset there, so its rise is the package's.
PackageRun packageInChild(const fs::path& logs, const fs::path& destination)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        std::ofstream("/proc/self/clear_refs") << "5";
        const std::uint64_t idle = statusKib("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        z2e::ReportPackage package(logs.string());
        const bool made = package.collect(destination.parent_path().string()) == 0 &&
                          package.place(destination.string()) == z2e::ReportPackage::Placement::Placed;
        PackageRun run;
        if (made) {
            run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            run.peakMibAboveIdle = static_cast<double>(statusKib("VmHWM:") - idle) / 1024.0;
        }
        const bool sent = ::write(ends[1], &run, sizeof run) == static_cast<ssize_t>(sizeof run);
        ::_exit(sent ? 0 : 1);
    }
    ::close(ends[1]);
    PackageRun run;
    if (child < 0 || ::read(ends[0], &run, sizeof run) != static_cast<ssize_t>(sizeof run))
        run = {};
    ::close(ends[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return run;
}

void BM_ReportPackage1GiBVsZip(benchmark::State& state)
{
    const std::string zip = zipProgram();
    if (zip.empty()) {
        state.SkipWithError("zip is not installed (tools/setup installs it)");
        return;
    }
    // Under the working folder, as a log folder would be, not in the test suite's churn of /tmp.
    std::string scratch = (fs::current_path() / "report_package_bench_XXXXXX").string();
    if (!::mkdtemp(scratch.data())) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const fs::path dir = scratch;
    const fs::path logs = dir / "log";
    writeLogFolder(logs);
    const fs::path ours = dir / "package.zip";
    const fs::path theirs = dir / "zip.zip";
    double packageTotal = 0;
    double zipTotal = 0;
    double peak = 0;
    for (auto _ : state) {
        fs::remove(ours);
        fs::remove(theirs);
        const PackageRun run = packageInChild(logs, ours);
        const auto t0 = std::chrono::steady_clock::now();
        const z2e::test::ProcessResult zipped = z2e::test::runProcess(
            "/bin/sh", {"-c", "cd '" + logs.string() + "' && exec '" + zip + "' -q -r -9 '" + theirs.string() + "' ."},
            {}, std::chrono::minutes(30));
        const double zipSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (run.seconds < 0 || zipped.exitCode != 0) {
            state.SkipWithError(run.seconds < 0 ? "the report package failed" : "zip failed");
            break;
        }
        packageTotal += run.seconds;
        zipTotal += zipSeconds;
        peak = std::max(peak, run.peakMibAboveIdle);
    }
    const double runs = static_cast<double>(state.iterations());
    if (runs > 0 && zipTotal > 0) {
        state.counters["package_s"] = packageTotal / runs;
        state.counters["zip_s"] = zipTotal / runs;
        state.counters["ratio"] = packageTotal / zipTotal;
        state.counters["peak_mib_above_idle"] = peak;
        std::error_code ignored;
        state.counters["package_mib"] = static_cast<double>(fs::file_size(ours, ignored)) / (1 << 20);
        state.counters["zip_mib"] = static_cast<double>(fs::file_size(theirs, ignored)) / (1 << 20);
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

} // namespace

BENCHMARK(BM_ReportPackage1GiBVsZip)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();
