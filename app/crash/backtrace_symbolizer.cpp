#include "crash/backtrace_symbolizer.h"

#include <boost/stacktrace/frame.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

extern char** environ;

namespace crash_monitor {
namespace {

constexpr std::size_t kMaxToolOutput = 4 * 1024 * 1024;
constexpr auto kToolTimeLimit = std::chrono::seconds(20);

std::string hexText(std::uintptr_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, value);
    return text;
}

// A fixed-position executable is looked up by absolute address, anything else by offset.
bool isFixedPositionExecutable(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[18] = {};
    if (!file.read(reinterpret_cast<char*>(header), sizeof header))
        return false;
    const bool elf = header[0] == 0x7f && header[1] == 'E' && header[2] == 'L' && header[3] == 'F';
    return elf && header[16] == 2 && header[17] == 0;
}

bool readUntilClosed(int fd, pid_t child, std::string& output)
{
    const auto deadline = std::chrono::steady_clock::now() + kToolTimeLimit;
    char buffer[4096];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(child, SIGKILL);
            return false;
        }
        pollfd waitFor{fd, POLLIN, 0};
        if (::poll(&waitFor, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        if (output.size() + static_cast<std::size_t>(got) > kMaxToolOutput) {
            ::kill(child, SIGKILL);
            return false;
        }
        output.append(buffer, static_cast<std::size_t>(got));
    }
}

// Runs `arguments` with its standard output captured; false when it cannot run or overruns.
bool runTool(const std::vector<std::string>& arguments, std::string& output)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return false;
    }
    const bool complete = readUntilClosed(pipeEnds[0], child, output);
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return complete && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool unknown(const std::string& text)
{
    return text.empty() || text.compare(0, 2, "??") == 0;
}

} // namespace

struct BacktraceSymbolizer::Lookup {
    std::uintptr_t address = 0;
    bool exact = false;
    ModuleAddress where;
    bool located = false;
    std::string function;
    std::string source;
};

BacktraceSymbolizer::BacktraceSymbolizer(std::string tool) : m_tool(std::move(tool)) {}

void BacktraceSymbolizer::resolveModule(const std::string& module, std::vector<Lookup*>& lookups) const
{
    const bool absolute = isFixedPositionExecutable(module);
    std::vector<std::string> arguments = {m_tool, "-C", "-f", "-e", module};
    for (const Lookup* lookup : lookups) {
        // A return address points behind the call; one byte back lies inside it.
        const std::uintptr_t address = absolute ? lookup->address : lookup->where.offset;
        arguments.push_back(hexText(lookup->exact ? address : address - 1));
    }
    std::string output;
    if (!runTool(arguments, output))
        return;
    std::istringstream lines(output);
    for (Lookup* lookup : lookups) {
        std::string function, source;
        if (!std::getline(lines, function) || !std::getline(lines, source))
            return;
        lookup->function = unknown(function) ? std::string() : function;
        lookup->source = unknown(source) ? std::string() : source;
    }
}

std::vector<std::string> BacktraceSymbolizer::describe(const std::vector<std::uintptr_t>& frames,
                                                       const ProcessMaps& maps, std::uintptr_t exactAddress) const
{
    std::vector<Lookup> lookups(frames.size());
    std::map<std::string, std::vector<Lookup*>> byModule;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        lookups[i].address = frames[i];
        lookups[i].exact = exactAddress != 0 && frames[i] == exactAddress;
        lookups[i].located = frames[i] != 0 && maps.locate(frames[i], lookups[i].where);
        if (lookups[i].located)
            byModule[lookups[i].where.module].push_back(&lookups[i]);
    }
    for (auto& [module, moduleLookups] : byModule)
        resolveModule(module, moduleLookups);

    std::vector<std::string> lines;
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        Lookup& lookup = lookups[i];
        if (lookup.function.empty() && lookup.address != 0)
            lookup.function =
                boost::stacktrace::frame(reinterpret_cast<void*>(lookup.exact ? lookup.address : lookup.address - 1))
                    .name();
        std::string line = "#" + std::to_string(i) + " " + hexText(lookup.address);
        if (!lookup.function.empty())
            line += " in " + lookup.function;
        if (!lookup.source.empty())
            line += " at " + lookup.source;
        if (lookup.located)
            line += " (" + lookup.where.module + "+" + hexText(lookup.where.offset) + ")";
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace crash_monitor
