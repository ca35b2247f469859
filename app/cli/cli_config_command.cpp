#include "cli_config_command.h"

#include "cli_output.h"

#include "config/bounded_file_reader.h"
#include "config/check_diagnostics.h"
#include "config/qorin_cfg_check.h"
#include "config/qorin_cfg_handler.h"
#include "config/simulated_placement_check.h"

#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <iostream>

namespace z2e {
namespace cli {

namespace {

constexpr int EXIT_INVALID = 1;

int unusable(const CliOptions& options, const std::string& file, const std::string& problem)
{
    if (options.json) {
        Report report;
        report.add("file", file);
        report.addFlag("valid", false);
        report.add("error", problem);
        std::cout << report.render(true);
    } else {
        std::cerr << "zamo2ctl: " << file << ": " << problem << "\n";
    }
    return EXIT_INVALID;
}

std::string problemsJson(const CheckDiagnostics& diagnostics)
{
    std::string out = "[";
    for (const auto& finding : diagnostics.findings()) {
        out += out.size() > 1 ? "," : "";
        out += "{\"path\":" + jsonString(finding.path) + ",\"reason\":" + jsonString(finding.reason) + "}";
    }
    return out + "]";
}

void printFindings(const CliOptions& options, const std::string& file, const CheckDiagnostics& diagnostics,
                   bool configuration)
{
    const bool valid = diagnostics.empty();
    const bool truncated = diagnostics.total() > diagnostics.findings().size();
    if (options.json) {
        Report report;
        report.add("file", file);
        report.addFlag("valid", valid);
        report.addFlag("configuration", configuration);
        report.add("problemCount", static_cast<std::int64_t>(diagnostics.total()));
        report.addJson("problems", problemsJson(diagnostics));
        report.addFlag("truncated", truncated);
        std::cout << report.render(true);
        return;
    }
    if (!configuration) {
        // The program would load it as it is: the rules have nothing to reject in it.
        std::cout << file << ": not a driver configuration\n";
        return;
    }
    if (valid) {
        std::cout << file << ": valid\n";
        return;
    }
    std::cout << file << ": invalid, " << diagnostics.total() << " problem(s):\n";
    // Paths and reasons quote the file's own names and values.
    for (const auto& finding : diagnostics.findings())
        std::cout << "  " << oneLine(finding.path + ": " + finding.reason) << "\n";
    if (truncated)
        std::cout << "  ... " << (diagnostics.total() - diagnostics.findings().size()) << " more not listed\n";
    std::cout << "The program would use its built-in configuration instead of this file.\n";
}

int check(const CliOptions& options, const std::string& file)
{
    std::string text;
    std::string error;
    const auto status = BoundedFileReader::read(file, QorinCfgHandler::kMaxDocumentSize, text, &error);
    if (status != BoundedFileReader::Status::Ok)
        return unusable(options, file, std::string(BoundedFileReader::statusText(status)) + ": " + error);
    pugi::xml_document document;
    const xpugi::UntrustedParse parsed =
        xpugi::parseUntrusted(document, text, pugi::parse_default | pugi::parse_comments);
    if (parsed.tooManyNodes)
        return unusable(options, file, QorinCfgHandler::tooManyNodesReason("driver configuration"));
    if (!parsed)
        return unusable(options, file, "not XML: " + QorinCfgHandler::parseErrorText(parsed.result, text));
    CheckDiagnostics diagnostics;
    const std::string root = document.document_element().name();
    // The rules look only at the elements they know, so any other well-formed document (a web
    // page, a demo file) would pass them.
    if (root != QorinCfgHandler::kRootElement) {
        const std::string reason = "not a driver configuration: the root element is <" + root + ">, not <" +
                                   QorinCfgHandler::kRootElement + ">";
        std::cerr << "zamo2ctl: warning: " << file << " is " << oneLine(reason) << "\n";
        diagnostics.add("/" + root, reason);
        printFindings(options, file, diagnostics, false);
        return EXIT_INVALID;
    }
    QorinCfgCheck checker;
    bool valid = checker.checkDocument(document, &diagnostics);
    // Valid means kept: what the program would not load or would drop on its next save counts.
    valid = SimulatedPlacementCheck::check(document, &diagnostics) && valid;
    if (!valid && diagnostics.empty())
        diagnostics.add("/", "rejected"); // every rule reports; this only guards the exit status
    printFindings(options, file, diagnostics, true);
    return valid ? EXIT_OK : EXIT_INVALID;
}

} // namespace

int configCommand(const CliOptions& options)
{
    if (options.arguments.size() != 2 || options.arguments[0] != "check")
        return usageError("config knows only: config check FILE");
    return check(options, options.arguments[1]);
}

} // namespace cli
} // namespace z2e
