#include "cli_tree_command.h"

#include "cli_demo_command.h"
#include "cli_node_tree_command.h"
#include "cli_output.h"

#include "core/application_status.h"
#include "core/node_types.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "core/tree_row_text.h"
#include "core/driver_library.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <sstream>

namespace z2e {
namespace cli {
namespace {

const char* const kRed = "\033[31m";
const char* const kPlain = "\033[0m";

// Continuation lines of a multi-line row stay under the row's text.
std::string indentedText(const std::string& text, const std::string& indent)
{
    std::string out;
    // Texts come from the driver or the network: no terminal control sequences get through.
    for (char c : terminalText(text)) {
        out += c;
        if (c == '\n')
            out += indent;
    }
    return out;
}

void printPlain(const std::vector<TreeRow>& rows, bool colour)
{
    for (const TreeRow& line : rows) {
        const std::string indent(2 * line.depth, ' ');
        // Red rows: colour on a terminal, a "!" marker in a pipe or file.
        const std::string marker = colour ? "" : (line.row.red ? "! " : "  ");
        const std::string text = indentedText(line.row.text, marker + indent);
        if (colour && line.row.red)
            std::cout << indent << kRed << text << kPlain << '\n';
        else
            std::cout << marker << indent << text << '\n';
    }
}

void printJson(const std::vector<TreeRow>& rows, const std::string& system, std::int32_t status)
{
    std::ostringstream out;
    out << "{\"system\":" << jsonString(system) << ",\"status\":" << status
        << ",\"statusText\":" << jsonString(statusMessage(status)) << ",\"rows\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TreeRow& line = rows[i];
        out << (i ? "," : "") << "{\"text\":" << jsonString(line.row.text) << ",\"depth\":" << line.depth
            << ",\"icon\":" << line.row.icon << ",\"red\":" << (line.row.red ? "true" : "false")
            << ",\"nodeType\":" << line.node->nodeType << "}";
    }
    out << "],\"tree\":" << TreeRowText::jsonTree(rows) << "}\n";
    std::cout << out.str();
}

enum class TreeFormat { Text, Json, Csv };

bool treeFormatOf(const CliOptions& options, TreeFormat& format)
{
    if (options.format.empty())
        format = options.json ? TreeFormat::Json : TreeFormat::Text;
    else if (options.format == "json")
        format = TreeFormat::Json;
    else if (options.format == "csv")
        format = TreeFormat::Csv;
    else if (options.format == "text")
        format = TreeFormat::Text;
    else
        return false;
    return true;
}

bool systemKindOf(const std::string& system, std::uint32_t& kind)
{
    if (system.empty() || system == "local")
        kind = SystemKind::Local;
    else if (system == "demo")
        kind = SystemKind::Demo;
    else
        return false;
    return true;
}

} // namespace

void printTreeRows(const std::vector<TreeRow>& rows, const std::string& system, std::int32_t status,
                   const CliOptions& options)
{
    TreeFormat format = TreeFormat::Text;
    treeFormatOf(options, format);
    if (format == TreeFormat::Json)
        printJson(rows, system, status);
    else if (format == TreeFormat::Csv)
        std::cout << TreeRowText::csv(rows);
    else
        printPlain(rows, ::isatty(STDOUT_FILENO) == 1);
}

int treeCommand(const CliOptions& options)
{
    TreeFormat format = TreeFormat::Text;
    if (!treeFormatOf(options, format)) {
        std::cerr << "zamo2ctl: --format needs json, csv or text\n";
        return EXIT_USAGE;
    }
    if (!options.node.empty())
        return nodeTreeCommand(options);
    std::uint32_t kind = 0;
    if (!systemKindOf(options.system, kind)) {
        std::cerr << "zamo2ctl: --system needs local or demo\n";
        return EXIT_USAGE;
    }
    if (!options.driverPath.empty())
        DriverLibrary::useFile(options.driverPath);
    if (!options.simulation.empty())
        std::cerr << "zamo2ctl: tree ignores --simulation: the start-up scan chooses the modes itself\n";

    SystemModel model(false);
    const std::int32_t status = model.initializeSystem();
    if (status != AppStatus::Ok)
        std::cerr << "zamo2ctl: start-up: " << status << " " << statusMessage(status) << "\n";
    warnConfigurationProblem(model);
    const std::vector<TreeRow> rows = TreeRowList::collect(*model.root(kind));
    const std::string system = kind == SystemKind::Demo ? "demo" : "local";
    printTreeRows(rows, system, status, options);
    // The demo tree is complete even when the hardware is held elsewhere.
    if (status == AppStatus::HardwareInUse && kind == SystemKind::Demo)
        return EXIT_OK;
    return exitStatusOf(status);
}

} // namespace cli
} // namespace z2e
