#include "cli_config_command.h"

#include "cli_output.h"

#include "config/bounded_file_reader.h"
#include "config/check_diagnostics.h"
#include "config/qorin_cfg_check.h"
#include "config/qorin_cfg_handler.h"

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

void printFindings(const CliOptions& options, const std::string& file, const CheckDiagnostics& diagnostics)
{
    const bool valid = diagnostics.empty();
    if (options.json) {
        Report report;
        report.add("file", file);
        report.addFlag("valid", valid);
        report.add("problems", static_cast<std::int64_t>(diagnostics.total()));
        std::size_t n = 0;
        for (const auto& finding : diagnostics.findings())
            report.add("problem" + std::to_string(++n), finding.path + ": " + finding.reason);
        std::cout << report.render(true);
        return;
    }
    if (valid) {
        std::cout << file << ": valid\n";
        return;
    }
    std::cout << file << ": invalid, " << diagnostics.total() << " problem(s):\n";
    for (const auto& finding : diagnostics.findings())
        std::cout << "  " << finding.path << ": " << finding.reason << "\n";
    if (diagnostics.total() > diagnostics.findings().size())
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
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_comments);
    if (!parsed)
        return unusable(options, file,
                        "not XML: " + QorinCfgHandler::parseErrorText(parsed, text));
    QorinCfgCheck checker;
    CheckDiagnostics diagnostics;
    const bool valid = checker.checkDocument(document, &diagnostics);
    if (!valid && diagnostics.empty())
        diagnostics.add("/", "rejected"); // every rule reports; this only guards the exit status
    printFindings(options, file, diagnostics);
    return valid ? EXIT_OK : EXIT_INVALID;
}

} // namespace

int configCommand(const CliOptions& options)
{
    if (options.arguments.size() != 2 || options.arguments[0] != "check") {
        std::cerr << "zamo2ctl: config knows only: config check FILE\n";
        return EXIT_USAGE;
    }
    return check(options, options.arguments[1]);
}

} // namespace cli
} // namespace z2e
