#include "cli_tool_support.h"

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
