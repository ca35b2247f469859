#include "cli_problems_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"

#include "core/application_status.h"
#include "core/node_types.h"
#include "core/remote_system_builder.h"
#include "core/root_node.h"
#include "core/system_model.h"
#include "driver/command/driver_result.h"
#include "tools/journal_problems.h"

#include <iostream>

namespace z2e {
namespace cli {
namespace {

void print(const std::vector<Problem>& problems, const std::string& system, const CliOptions& options)
{
    if (options.json) {
        std::cout << "{\"system\":" << jsonString(system) << ",\"problems\":[";
        for (std::size_t i = 0; i < problems.size(); ++i) {
            const Problem& problem = problems[i];
            std::cout << (i ? "," : "") << "{\"kind\":" << jsonString(ProblemList::kindName(problem.kind))
                      << ",\"where\":" << jsonString(problem.where) << ",\"what\":" << jsonString(problem.what)
                      << ",\"todo\":" << jsonString(problem.todo) << "}";
        }
        std::cout << "]}\n";
        return;
    }
    if (problems.empty())
        std::cout << system << ": no problems\n";
    // Places and texts are the boards' and the nodes' own.
    for (const Problem& problem : problems) {
        std::cout << oneLine(system + "  " + (problem.where.empty() ? "" : problem.where + "  ") + problem.what +
                             (problem.todo.empty() ? "" : "  -> " + problem.todo))
                  << "\n";
    }
}

int report(const ModelNode& root, const std::string& system, const CliOptions& options)
{
    const std::vector<Problem> problems = JournalProblems::of(root);
    print(problems, system, options);
    return problems.empty() ? EXIT_OK : EXIT_PROBLEMS_FOUND;
}

// Every node that answers, one after the other on one client; the worst outcome.
int reportEveryNode(const CliOptions& options)
{
    RemoteSession session(options);
    if (!session.start())
        return EXIT_NODE_UNAVAILABLE;
    int status = EXIT_OK;
    for (const NetworkNodeSummary& node : session.discover()) {
        session.session().findNode(node.address, session.scanMs());
        const std::int32_t connected = session.connect();
        RootNode root(SystemKind::Remote);
        RemoteSystemBuilder::fillRoot(root, session.session().record(DriverResult::succeeded(connected)));
        if (report(root, node.address, options) != EXIT_OK)
            status = EXIT_PROBLEMS_FOUND;
    }
    return status;
}

} // namespace

int problemsCommand(const CliOptions& options)
{
    if (!options.node.empty()) {
        RemoteSession session(options);
        const int located = session.locate(false);
        if (located != EXIT_OK)
            return located;
        // A node that cannot be read is itself the problem: its tree says why.
        const std::int32_t connected = session.connect();
        RootNode root(SystemKind::Remote);
        RemoteSystemBuilder::fillRoot(root, session.session().record(DriverResult::succeeded(connected)));
        return report(root, options.node, options);
    }
    SystemModel model(false);
    const std::int32_t status = model.initializeSystem();
    int local = EXIT_OK;
    if (status != AppStatus::Ok && status != AppStatus::HardwareInUse) {
        // The nodes are still worth asking.
        std::cerr << "zamo2ctl: start-up: " << status << " " << oneLine(statusMessage(status)) << "\n";
        local = exitStatusOf(status);
    } else {
        local = report(*model.root(SystemKind::Local), "local", options);
    }
    if (!options.allNodes)
        return local;
    const int nodes = reportEveryNode(options);
    return local != EXIT_OK ? local : nodes;
}

} // namespace cli
} // namespace z2e
