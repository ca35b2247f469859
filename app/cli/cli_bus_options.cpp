#include "cli_bus_options.h"

#include "cli_options.h"

namespace z2e {
namespace cli {
namespace {

// --send ID DATA for CAN, --send DATA for UART: which one is known only once the command is,
// so --send takes the next word, and the one after it when that is no option.
bool parseSend(int argc, const char* const argv[], int& i, BusCliOptions& options, std::string& error)
{
    if (i + 1 >= argc) {
        error = "--send needs the frame: ID DATA for can, DATA for uart";
        return false;
    }
    options.sendGiven = true;
    options.sendId = argv[++i];
    const bool second = i + 1 < argc && (argv[i + 1][0] != '-' || std::string(argv[i + 1]) == "-");
    if (second)
        options.sendData = argv[++i];
    return true;
}

} // namespace

bool parseBusOption(const std::string& arg, int argc, const char* const argv[], int& i, BusCliOptions& options,
                    std::string& error, bool& matched)
{
    matched = arg == "--send";
    if (matched)
        return parseSend(argc, argv, i, options, error);
    const std::vector<BoundedOption> numbers = {
        {"--channel", 0, 3, &options.channel, "a channel number, 0 to 3"},
        {"--send-channel", 0, 3, &options.sendChannel, "a channel number, 0 to 3"},
        {"--count", 1, 100000000, &options.count, "a number of frames, 1 or more"},
        {"--every", 1, 3600000, &options.everyMs, "a number of milliseconds, 1 to 3600000"},
        {"--ring", 1, 100000, &options.ring, "a number of frames, 1 to 100000"},
    };
    if (!parseBoundedOption(arg, argc, argv, i, numbers, error, matched))
        return false;
    if (matched)
        return true;
    std::string value;
    if (!optionValue(arg, "--ids", argc, argv, i, value, matched) || (matched && value.empty())) {
        error = "--ids needs a range of CAN ids in hexadecimal, LOW-HIGH";
        return false;
    }
    if (matched) {
        options.ids = value;
        return true;
    }
    if (!optionValue(arg, "--trace", argc, argv, i, value, matched) || (matched && value.empty())) {
        error = "--trace needs the name of the CSV file to write";
        return false;
    }
    if (matched)
        options.trace = value;
    return true;
}

} // namespace cli
} // namespace z2e
