// zamo2ctl: the command line of the same core the desktop program uses, for service work and
// scripts. No Qt.

#include "cli_commands.h"
#include "cli_options.h"
#include "cli_output.h"
#include "command_watchdog.h"

#include "config/output_destination.h"

#include "core/app_paths.h"
#include "qorinet_api/client/qorinet_base_client.h"
#include "tools/change_intent.h"
#include "uni/log.h"

#include <csignal>

#include <iostream>
#include <new>

int main(int argc, char* argv[])
{
    using namespace z2e::cli;
    // Standard output holds the results alone (JSON among them); the client's complaints go
    // with the others.
    qorinet_api::QORINetBaseClient::setMessageStream(stderr);
    CliOptions options;
    std::string error;
    const bool parsed = parseCliOptions(argc, argv, options, error);
    setJsonUsageErrors(jsonRequested(argc, argv));
    if (!parsed)
        return usageError(error);
    if (options.help) {
        std::cout << usageText();
        return EXIT_OK;
    }
    uni::log::initialize();
    // A file size limit fails the write (EFBIG), which removes its temporary file, instead of
    // killing the program with the file left.
    std::signal(SIGXFSZ, SIG_IGN);
    // No export may name the journal, the snapshots or the logs.
    z2e::protectProgramData();
    if (!options.logFile.empty()) {
        // The log is appended to a plain file or a new one: a FIFO would hold the run at its
        // first line, and the journal is no log.
        const z2e::OutputDestination::Result usable = z2e::OutputDestination::check(options.logFile, true);
        if (!usable.ok())
            return refusedDestination(usable);
        uni::log::FileSinkOptions sink;
        sink.fileName = options.logFile;
        sink.minSeverity = uni::log::debug;
        if (!uni::log::addFileSink(sink))
            std::cerr << "zamo2ctl: cannot log to " << options.logFile << "\n";
    }
    // Changes a killed run left unfinished are journalled as interrupted before anything else.
    z2e::MaintenanceJournal journal(z2e::MaintenanceJournal::defaultFolder(), "");
    z2e::ChangeIntent::recover(journal);
    int status = EXIT_OK;
    try {
        const CommandWatchdog watchdog(commandTimeoutSeconds(options));
        status = runCommand(options);
    } catch (const std::bad_alloc&) {
        // Files are written to the side and renamed into place: nothing is left half done.
        std::cerr << "zamo2ctl: out of memory: the command was stopped; a file it read may be far larger than "
                     "it should be, or more memory is needed (ulimit -v)\n";
        status = EXIT_OUT_OF_MEMORY;
    }
    uni::log::removeAllSinks();
    return status;
}
