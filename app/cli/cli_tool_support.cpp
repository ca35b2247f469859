#include "cli_tool_support.h"

#include "cli_options.h"
#include "cli_output.h"

#include "tools/board_identity.h"

#include <unistd.h>

#include <iostream>

namespace z2e {
namespace cli {

ToolProgress terminalProgress()
{
    if (!::isatty(STDERR_FILENO))
        return nullptr;
    return [](const std::string& text, double fraction, double) {
        if (!text.empty())
            std::cerr << "\r" << text << " " << static_cast<int>(fraction * 100) << "%   " << std::flush;
        else
            std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
    };
}

std::string boardPlace(QorinNodeUtilWrapper& wrapper, std::uint32_t board)
{
    return BoardIdentity::read(wrapper, board).label();
}

int reportChange(const CliOptions& options, const ChangeReport& change)
{
    const bool verified = change.verification == "verified";
    const bool made = (change.answered || change.journalFailed) && verified;
    std::string words;
    int exit = change.failureExit;
    if (change.journalFailed && verified) {
        words = change.place + ": the change was made and verified, but its journal line could not be written (" +
                change.message + ")";
        exit = EXIT_JOURNAL_FAILED;
    } else if (change.answered && verified) {
        words = change.text;
        exit = EXIT_OK;
    } else if (change.answered || (change.journalFailed && !change.verification.empty())) {
        words = change.place + ": not verified: " +
                (change.verification.empty() ? std::string("no read-back was made") : change.verification) +
                "; the board may not hold what was sent";
        if (change.journalFailed)
            words += "; its journal line could not be written either (" + change.message + ")";
        exit = EXIT_TOOL_FAILED;
    } else {
        words = change.text + (change.message.empty() ? "" : " (" + change.message + ")");
    }
    if (options.json) {
        std::cout << "{\"status\":" << change.status << ",\"statusText\":" << jsonString(oneLine(words))
                  << ",\"verification\":" << jsonString(change.verification) << change.extraJson
                  << ",\"message\":" << jsonString(change.message) << ",\"changeMade\":" << (made ? "true" : "false")
                  << ",\"exitStatus\":" << exit << "}\n";
        return exit;
    }
    if (exit == EXIT_OK) {
        std::cout << oneLine(words) << "\n";
        return exit;
    }
    std::cerr << "zamo2ctl: " << oneLine(words) << "\n";
    if (!change.answered && !change.journalFailed && !change.verification.empty())
        std::cerr << "zamo2ctl: read-back: " << change.verification << "\n";
    return exit;
}

bool confirmed(bool yes, const std::string& command, const std::string& title, const std::string& question)
{
    if (yes)
        return true;
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << "zamo2ctl: " << command << " needs --yes when not run on a terminal:\n" << question << "\n";
        return false;
    }
    std::cerr << title << "\n" << question << "\n[OK/cancel] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "OK" || answer == "ok" || answer == "y" || answer == "yes";
}

} // namespace cli
} // namespace z2e
