// Start-up of the program: process start to the first paint of the filled main window (local
// hardware of the example description, a demo system of 16 enclosures), against a bare
// QMainWindow process started and painted the same way, offscreen, in the same run.
// Reported: main_ms, bare_ms and their ratio (target: at most 2.0).
//
// The baseline is this very program started again with ZAMO2_STARTUP_PROBE=bare: it then only
// brings up a QMainWindow, waits for its first paint and ends.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// ---- The baseline process ----

class PaintExit : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("first paint %lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
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
    auto* central = new QLabel("ZAMO2Explorer");
    window.setCentralWidget(central);
    window.resize(1024, 720);
    PaintExit exitOnPaint;
    central->installEventFilter(&exitOnPaint);
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

std::string programFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

std::string readText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

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

// A private site for the program: driver configuration, state, settings and documents.
class Site {
public:
    Site()
    {
        char pattern[] = "/tmp/zamo2-startup-XXXXXX";
        m_root = ::mkdtemp(pattern) ? pattern : "";
        for (const char* sub : {"config", "state", "runtime", "settings", "documents"})
            fs::create_directories(m_root + "/" + sub);
        fs::permissions(m_root + "/runtime", fs::perms::owner_all);
        const std::string examples = ZMPXI_SIM_EXAMPLES_DIR;
        std::ofstream(m_root + "/config/zmpxi_api_config.xml")
            << demoConfiguration(readText(examples + "/zmpxi_api_config.xml"), 16);
        m_hardware = examples + "/hardware.xml";
    }
    ~Site()
    {
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    std::vector<std::string> environment() const
    {
        return {"ZMPXI_API_CONFIG_DIR=" + m_root + "/config",
                "ZMPXI_SIM_STATE_DIR=" + m_root + "/state",
                "XDG_RUNTIME_DIR=" + m_root + "/runtime",
                "XDG_CONFIG_HOME=" + m_root + "/settings",
                "ZAMO2_COMMON_DOCUMENTS=" + m_root + "/documents",
                "ZMPXI_SIM_HARDWARE=" + m_hardware,
                "QORINET_ALLOWED_NETWORKS=127.0.0.0/8",
                "QT_QPA_PLATFORM=offscreen",
                "ZAMO2_AUTO_ANSWER=cancel",
                "ZAMO2_EXIT_AFTER_PAINT=1"};
    }

private:
    std::string m_root;
    std::string m_hardware;
};

// Milliseconds from the start of `program` (with `extra` added to this process's environment)
// to the first paint it reports on its standard output; negative when it did not run, report or
// end well. Its end is not counted: start-up is what the operator waits for.
double firstPaintMs(const std::string& program, const std::vector<std::string>& extra)
{
    std::vector<std::string> environment(extra);
    for (char** variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    int output[2];
    if (::pipe(output) != 0)
        return -1;

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        ::execve(program.c_str(), argv, envp.data());
        ::_exit(127);
    }
    ::close(output[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(output[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const std::size_t at = text.find("first paint ");
    if (at == std::string::npos)
        return -1;
    const long long painted = std::atoll(text.c_str() + at + 12);
    const long long started =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    return static_cast<double>(painted - started) / 1e6;
}

void BM_StartupMainWindowVsBare(benchmark::State& state)
{
    const std::string folder = programFolder();
    const std::string explorer = folder + "/zamo2explorer";
    const std::string self = folder + "/zamo2_bench";
    Site site;
    const std::vector<std::string> bareEnvironment{"ZAMO2_STARTUP_PROBE=bare", "QT_QPA_PLATFORM=offscreen"};
    // Warm the caches (program files, fonts, the driver's first run) for both.
    if (firstPaintMs(explorer, site.environment()) < 0 || firstPaintMs(self, bareEnvironment) < 0) {
        state.SkipWithError("zamo2explorer or the baseline did not run");
        return;
    }
    double mainTotal = 0;
    double bareTotal = 0;
    for (auto _ : state) {
        const double main = firstPaintMs(explorer, site.environment());
        const double bare = firstPaintMs(self, bareEnvironment);
        if (main < 0 || bare < 0) {
            state.SkipWithError("a start-up failed");
            return;
        }
        mainTotal += main;
        bareTotal += bare;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["main_ms"] = mainTotal / runs;
    state.counters["bare_ms"] = bareTotal / runs;
    state.counters["ratio"] = mainTotal / bareTotal;
}
BENCHMARK(BM_StartupMainWindowVsBare)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
