// The Bus Test panel's path at 10,000 CAN frames per second: the bus monitor on its thread
// and the list's model taking them a batch every 100 ms into its ring of 10,000, against the bare
// loop of driver reads that keeps the same frames in a plain ring of the same size, alternately on
// the same simulated board. A writer thread puts ten frames on channel 0 every millisecond for
// five seconds (a panel is watched for a while: its start is not the whole of its cost); they
// arrive on channel 1.
// Reported: the CPU per frame of each reader (the process's CPU less the writer's own), their
// ratio (target: at most 1.5), and the frames each lost (target: none).
// The writer stands in for the far end of the cable, another device: it runs on a processor of its
// own, so that frames reach the readers from elsewhere as a board's do, and its thousand wake-ups
// a second do not preempt the readers and charge them the switch back.

#include "gui/models/bus_frame_model.h"
#include "support/site.h"
#include "same_processor.h"
#include "thread_cpu.h"

#include "core/local_node_session.h"
#include "tools/bus_session.h"
#include "zmpxi/driver_api.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kBoard = 3;    // the example hardware's CAN board
constexpr std::int32_t kRing = 10000; // the panel's default
constexpr std::int32_t kFrames = 50000;
constexpr std::int32_t kWarmUpFrames = 10000;
constexpr std::int32_t kPerMs = 10;
constexpr std::int32_t kLostProperty = 4;
constexpr std::chrono::milliseconds kIdle{5}; // as the monitor waits on an idle bus
constexpr std::chrono::milliseconds kDrain{100};

double processCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

/// Two processors the process may use, the readers' and the writer's; none if it has only one.
struct Processors {
    int reader = -1;
    int writer = -1;
};

Processors pickProcessors()
{
    cpu_set_t allowed;
    if (::pthread_getaffinity_np(::pthread_self(), sizeof allowed, &allowed) != 0)
        return {};
    Processors picked;
    for (int cpu = 0; cpu < CPU_SETSIZE && picked.writer < 0; ++cpu) {
        if (!CPU_ISSET(cpu, &allowed))
            continue;
        (picked.reader < 0 ? picked.reader : picked.writer) = cpu;
    }
    return picked.writer < 0 ? Processors{} : picked;
}

/// A reader that lost frames would wait for them for ever: it gives up this long after the last write.
constexpr std::chrono::seconds kGrace{1};

/// Writes `frames` at 10 kHz on channel 0; its own CPU goes to `cpuMs`, its end to `done`.
void writeFrames(z2e::QorinNodeUtilWrapper& wrapper, std::int32_t total, int cpu, double& cpuMs,
                 std::atomic<Clock::rep>& done)
{
    const bench::CallerPinned pinned(cpu);
    const double cpu0 = bench::threadCpuMs();
    auto next = Clock::now();
    ZaMoCanFrame frames[kPerMs]{};
    for (std::int32_t sent = 0; sent < total; sent += kPerMs) {
        for (std::int32_t i = 0; i < kPerMs; ++i) {
            frames[i].channel = 0;
            frames[i].id = static_cast<std::uint32_t>(sent + i) & 0x7FF;
            frames[i].dlc = 8;
            frames[i].data[0] = static_cast<std::uint8_t>(sent + i);
        }
        std::int32_t count = kPerMs;
        wrapper.node()->WriteCAN(kBoard, frames, count);
        next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(next);
    }
    cpuMs = bench::threadCpuMs() - cpu0;
    done = Clock::now().time_since_epoch().count();
}

bool gaveUp(const std::atomic<Clock::rep>& done)
{
    const Clock::rep end = done.load();
    return end != 0 && Clock::now() > Clock::time_point(Clock::duration(end)) + kGrace;
}

std::int64_t lost()
{
    std::int64_t value = 0;
    if (z2e::driverApi().fn.ZaMoGetChannelPropCAN)
        z2e::driverApi().fn.ZaMoGetChannelPropCAN(kBoard, 1, kLostProperty, &value);
    return value;
}

struct Pass {
    double cpuMs = 0;
    std::int64_t got = 0;
    std::int64_t lost = 0;
};

Pass panelPass(const std::shared_ptr<z2e::QorinNodeUtilWrapper>& wrapper, std::int32_t frames, int writerCpu)
{
    z2e::BusMonitorSettings settings;
    settings.board = kBoard;
    settings.ringSize = kRing;
    settings.stopAfter = frames;
    const std::int64_t lostBefore = lost();
    // The panel's ring and session count too: a run begins with them.
    const double cpu0 = processCpuMs();
    z2e::BusSession session(wrapper);
    z2e::BusFrameModel model;
    model.setCapacity(settings.ringSize);
    session.start(settings);
    while (!session.status() && session.running()) // the channels run once the counts come
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double writerMs = 0;
    std::atomic<Clock::rep> done{0};
    std::thread writer([&] { writeFrames(*wrapper, frames, writerCpu, writerMs, done); });
    std::uint64_t behind = 0;
    std::int64_t got = 0;
    std::vector<z2e::BusRecord> batch;
    for (bool more = true; more;) {
        std::this_thread::sleep_for(kDrain);
        if (gaveUp(done))
            session.stop();
        more = session.running();
        session.take(batch, behind);
        got += static_cast<std::int64_t>(batch.size());
        model.append(batch);
    }
    writer.join();
    session.wait();
    const double cpu = processCpuMs() - cpu0 - writerMs;
    // Rows the ring let go are not lost: the frames reached it.
    return {cpu, got, lost() - lostBefore + static_cast<std::int64_t>(behind)};
}

Pass barePass(const std::shared_ptr<z2e::QorinNodeUtilWrapper>& wrapper, std::int32_t frames, int writerCpu)
{
    const auto& node = wrapper->node();
    const std::int64_t lostBefore = lost();
    // Opening and closing count too, as they do for the panel.
    const double cpu0 = processCpuMs();
    node->OpenCAN(kBoard);
    for (std::int32_t channel = 0; channel < 4; ++channel)
        node->StartCAN(kBoard, channel);
    double writerMs = 0;
    std::atomic<Clock::rep> done{0};
    std::thread writer([&] { writeFrames(*wrapper, frames, writerCpu, writerMs, done); });
    std::vector<ZaMoCanFrame> kept(kRing);
    std::int32_t got = 0;
    ZaMoCanFrame read[64]{};
    while (got < frames && !gaveUp(done)) {
        std::int32_t count = 64;
        if (node->ReadCAN(kBoard, read, count) > 0)
            break;
        for (std::int32_t i = 0; i < count; ++i, ++got)
            kept[static_cast<std::size_t>(got % kRing)] = read[i];
        if (count == 0)
            std::this_thread::sleep_for(kIdle);
    }
    writer.join();
    for (std::int32_t channel = 0; channel < 4; ++channel)
        node->StopCAN(kBoard, channel);
    node->CloseCAN(kBoard);
    const double cpu = processCpuMs() - cpu0 - writerMs;
    benchmark::DoNotOptimize(kept.data());
    return {cpu, got, lost() - lostBefore};
}

void BM_BusPanel10kFramesPerSecondVsBareReads(benchmark::State& state)
{
    const std::string scratch = "/dev/shm/bus_panel_bench_" + std::to_string(::getpid());
    for (const char* sub : {"config", "state", "runtime"})
        fs::create_directories(fs::path(scratch) / sub);
    ::setenv("ZMPXI_API_CONFIG_DIR", (scratch + "/config").c_str(), 1);
    ::setenv("ZMPXI_SIM_STATE_DIR", (scratch + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (scratch + "/runtime").c_str(), 1);
    ::setenv("ZMPXI_SIM_HARDWARE", (z2e::test::simExamplesDir() + "/hardware.xml").c_str(), 1);
    ::unsetenv("ZMPXI_SIM_BUS");
    {
        z2e::LocalNodeSession session("", "SIMMODE_OFF");
        // The session owns the wrapper; the panel's session only borrows it.
        const std::shared_ptr<z2e::QorinNodeUtilWrapper> wrapper(std::shared_ptr<void>(), &session.wrapper());
        Pass panel;
        Pass bare;
        if (!session.connected()) {
            state.SkipWithError("the simulated driver did not come up");
        } else {
            const Processors cpus = pickProcessors();
            const bench::CallerPinned pinned(cpus.reader); // and the threads of the readers
            // Untimed: the first pass would otherwise pay alone for the driver's first buffers.
            panelPass(wrapper, kWarmUpFrames, cpus.writer);
            barePass(wrapper, kWarmUpFrames, cpus.writer);
            for (auto _ : state) {
                const Pass p = panelPass(wrapper, kFrames, cpus.writer);
                const Pass b = barePass(wrapper, kFrames, cpus.writer);
                panel = {panel.cpuMs + p.cpuMs, panel.got + p.got, panel.lost + p.lost};
                bare = {bare.cpuMs + b.cpuMs, bare.got + b.got, bare.lost + b.lost};
            }
            const double panelUs = panel.cpuMs * 1e3 / static_cast<double>(std::max<std::int64_t>(panel.got, 1));
            const double bareUs = bare.cpuMs * 1e3 / static_cast<double>(std::max<std::int64_t>(bare.got, 1));
            state.counters["panel_us_per_frame"] = panelUs;
            state.counters["bare_us_per_frame"] = bareUs;
            state.counters["ratio"] = panelUs / bareUs;
            state.counters["panel_frames"] = static_cast<double>(panel.got) / static_cast<double>(state.iterations());
            state.counters["panel_lost"] = static_cast<double>(panel.lost);
            state.counters["bare_lost"] = static_cast<double>(bare.lost);
        }
    }
    z2e::unloadDriverApi();
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}

} // namespace

BENCHMARK(BM_BusPanel10kFramesPerSecondVsBareReads)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
