// Stand-in for libFuzzer's main when the fuzz targets are built without clang's fuzzer:
// runs every corpus input once, then a repeatable series of mutated inputs derived from
// them, so a normal build still exercises each target.
//
//   <target>_fuzz [--mutations N] [--seed S] [--max-len BYTES] PATH...
//
// A PATH is a corpus folder (every regular file in it, sorted by name) or a single input.
// An input that crashes the target is left in "crash-input" in the working folder.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Input = std::vector<std::uint8_t>;

struct Settings {
    unsigned long mutations = 100;
    unsigned long seed = 1;
    unsigned long maxLength = 1 << 20;
    std::vector<std::string> paths;
};

bool parseNumber(const char* text, unsigned long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && text[0] != '-';
}

bool parseArguments(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        unsigned long* option = arg == "--mutations" ? &settings.mutations
                                : arg == "--seed"    ? &settings.seed
                                : arg == "--max-len" ? &settings.maxLength
                                                     : nullptr;
        if (!option) {
            settings.paths.push_back(arg);
        } else if (i + 1 >= argc || !parseNumber(argv[++i], *option)) {
            return false;
        }
    }
    settings.maxLength = std::max(settings.maxLength, 1UL);
    return !settings.paths.empty();
}

bool readInput(const std::filesystem::path& path, std::size_t maxLength, Input& input)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    input.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (input.size() > maxLength) {
        input.resize(maxLength);
    }
    return true;
}

bool collect(const Settings& settings, std::vector<Input>& corpus)
{
    for (const std::string& name : settings.paths) {
        std::error_code ec;
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(name, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(name, ec)) {
                if (entry.is_regular_file(ec)) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end()); // same order, same mutations
        } else {
            files.emplace_back(name);
        }
        for (const auto& file : files) {
            Input input;
            if (!readInput(file, settings.maxLength, input)) {
                std::cerr << "cannot read " << file << "\n";
                return false;
            }
            corpus.push_back(std::move(input));
        }
    }
    return true;
}

// Tokens that steer mutations towards markup rather than random noise.
const char* const kTokens[] = {"<",     ">",  "</",  "/>", "<!--", "-->", "<![CDATA[", "]]>", "=\"",        "\"",
                               "&amp;", "&#", "ID0", "ID", "KEY",  "-",   "+",         "0",   "2147483648", " "};

void insertAt(Input& input, std::size_t at, const std::uint8_t* from, std::size_t length)
{
    input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), from, from + length);
}

void mutate(Input& input, const std::vector<Input>& corpus, std::mt19937& random, std::size_t maxLength)
{
    auto pick = [&random](std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const std::size_t steps = 1 + pick(4);
    for (std::size_t s = 0; s < steps; ++s) {
        const std::size_t at = pick(input.size() + 1);
        const std::size_t kind = pick(6);
        if (kind == 0 && !input.empty()) { // flip one bit
            input[pick(input.size())] ^= static_cast<std::uint8_t>(1u << pick(8));
        } else if (kind == 1) { // random byte
            const auto byte = static_cast<std::uint8_t>(pick(256));
            insertAt(input, at, &byte, 1);
        } else if (kind == 2) { // cut a range
            const std::size_t length = std::min(pick(64) + 1, input.size() - std::min(at, input.size()));
            input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                        input.begin() + static_cast<std::ptrdiff_t>(at + length));
        } else if (kind == 3) { // markup token
            const char* token = kTokens[pick(sizeof kTokens / sizeof kTokens[0])];
            insertAt(input, at, reinterpret_cast<const std::uint8_t*>(token), std::strlen(token));
        } else if (kind >= 4) { // a chunk of itself, or a piece of another corpus input
            const Input source = kind == 4 ? input : corpus[pick(corpus.size())];
            if (!source.empty()) {
                const std::size_t from = pick(source.size());
                insertAt(input, at, source.data() + from,
                         std::min(pick(kind == 4 ? 256 : 512) + 1, source.size() - from));
            }
        }
    }
    if (input.size() > maxLength) {
        input.resize(maxLength);
    }
}

const Input* g_running = nullptr;
struct sigaction g_previous[NSIG];

// Only async-signal-safe calls: the heap may be what broke. Whoever handled the signal before
// (a sanitizer's report) still gets it.
extern "C" void keepCrashInput(int signal, siginfo_t* info, void* context)
{
    if (g_running) {
        const int fd = ::open("crash-input", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (::write(fd, g_running->data(), g_running->size()) >= 0) {
                static const char kNote[] = "replay: the input is in crash-input\n";
                [[maybe_unused]] const ssize_t shown = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
            }
            ::close(fd);
        }
        g_running = nullptr;
    }
    const struct sigaction& previous = g_previous[signal];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
}

void run(const Input& input)
{
    g_running = &input;
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
    g_running = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!parseArguments(argc, argv, settings)) {
        std::cerr << "usage: " << argv[0] << " [--mutations N] [--seed S] [--max-len BYTES] PATH...\n";
        return 64;
    }
    // A stack of its own for the handler, so that an overflowing stack is caught too.
    static char alternate[256 * 1024];
    stack_t stack{};
    if (::sigaltstack(nullptr, &stack) == 0 && (stack.ss_flags & SS_DISABLE)) {
        stack.ss_sp = alternate;
        stack.ss_size = sizeof alternate;
        stack.ss_flags = 0;
        ::sigaltstack(&stack, nullptr);
    }
    struct sigaction keep {};
    keep.sa_sigaction = keepCrashInput;
    keep.sa_flags = SA_SIGINFO | SA_ONSTACK;
    for (const int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
        ::sigaction(signal, &keep, &g_previous[signal]);
    }
    std::vector<Input> corpus;
    if (!collect(settings, corpus)) {
        return 1;
    }
    run(Input());
    for (const Input& input : corpus) {
        run(input);
    }
    std::mt19937 random(static_cast<std::mt19937::result_type>(settings.seed));
    for (unsigned long i = 0; i < settings.mutations && !corpus.empty(); ++i) {
        Input input = corpus[i % corpus.size()];
        mutate(input, corpus, random, settings.maxLength);
        run(input);
    }
    std::cout << "replayed " << corpus.size() << " corpus inputs and " << (corpus.empty() ? 0 : settings.mutations)
              << " mutations (seed " << settings.seed << ")\n";
    return 0;
}
