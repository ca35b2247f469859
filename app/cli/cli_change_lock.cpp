#include "cli_change_lock.h"

#include "cli_commands.h"
#include "cli_output.h"
#include "command_watchdog.h"

#include <iostream>

namespace z2e {
namespace cli {

namespace {

constexpr std::uint32_t kUnlimitedCommandWaitSeconds = 60;

int giveUp(const CliOptions& options, const std::string& message, int status)
{
    // The holder's words are read from its lock file.
    std::cerr << "zamo2ctl: " << oneLine(message) << "\n";
    if (options.json) {
        Report report;
        report.add("error", std::string(status == EXIT_TIMEOUT ? "busy" : "lock"));
        report.add("message", message);
        report.add("exitStatus", static_cast<std::int64_t>(status));
        std::cout << report.render(true);
    }
    return status;
}

} // namespace

std::string changeActivity(const CliOptions& options)
{
    const CliCommand* command = findCommand(options.command);
    return command && command->changeActivity ? command->changeActivity(options.arguments) : std::string();
}

int lockChangedSystem(const CliOptions& options, std::unique_ptr<SystemLock>& lock)
{
    const std::string activity = changeActivity(options);
    if (activity.empty())
        return EXIT_OK;
    // The demo system is this computer's, wherever its copy comes from.
    const bool local = options.node.empty() || options.command == "demo";
    lock = std::make_unique<SystemLock>(SystemLock::defaultFolder(),
                                        local ? SystemLock::localSystem() : SystemLock::nodeSystem(options.node));
    const std::uint32_t limit = commandTimeoutSeconds(options);
    const std::uint32_t seconds = limit != 0 ? limit : kUnlimitedCommandWaitSeconds;
    const auto told = [&](const std::string& words) {
        CommandWatchdog::setWaitingFor(words);
        std::cerr << "zamo2ctl: " << oneLine(words) << "; waiting up to " << seconds << " s (--timeout)\n";
    };
    const SystemLock::Outcome outcome =
        lock->acquire("zamo2ctl", activity, std::chrono::steady_clock::now() + std::chrono::seconds(seconds), told);
    CommandWatchdog::setWaitingFor({});
    if (outcome == SystemLock::Outcome::Held)
        return EXIT_OK;
    if (outcome == SystemLock::Outcome::Failed)
        return giveUp(options, lock->error() + "; nothing was changed", EXIT_CANNOT_CREATE);
    return giveUp(options,
                  "gave up after " + std::to_string(seconds) + " s (--timeout " + std::to_string(seconds) +
                      "), nothing was changed: " + lock->busyText(),
                  EXIT_TIMEOUT);
}

} // namespace cli
} // namespace z2e
