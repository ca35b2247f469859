#include "cli_node_tree_command.h"

#include "cli_output.h"
#include "cli_remote_session.h"
#include "cli_tree_command.h"

#include "core/node_result_text.h"
#include "core/node_types.h"
#include "core/remote_system_builder.h"
#include "core/root_node.h"
#include "core/tree_row_list.h"
#include "driver/command/driver_result.h"

#include <iostream>

namespace z2e {
namespace cli {

int nodeTreeCommand(const CliOptions& options)
{
    RemoteSession session(options);
    const int located = session.locate(false);
    if (located != EXIT_OK)
        return located;
    // A node that cannot be connected still has a tree: what discovery knows, with the rows
    // that explain the broken link.
    const std::int32_t connected = session.connect();
    const NetworkNodeRecord record = session.session().record(DriverResult::succeeded(connected));
    RootNode root(SystemKind::Remote);
    RemoteSystemBuilder::fillRoot(root, record);
    printTreeRows(TreeRowList::collect(root), "remote", 0, options);
    // Standard output holds the tree alone, also as JSON.
    if (!DriverResult::succeeded(connected)) {
        std::cerr << "zamo2ctl: " << session.connectFailureText(connected) << "\n";
        return EXIT_NODE_UNAVAILABLE;
    }
    if (DriverResult::meaningOf(record.failure) != ResultMeaning::Ok) {
        std::cerr << "zamo2ctl: the network node at " << options.node
                  << " could not be read: " << failureAdvice(record.failure) << "\n";
        return EXIT_NODE_UNAVAILABLE;
    }
    return EXIT_OK;
}

} // namespace cli
} // namespace z2e
