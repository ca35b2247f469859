#include "cli_doctor_command.h"

#include "cli_output.h"

#include "core/discovery_doctor.h"
#include "core/remembered_nodes.h"
#include "qorinet_api/client/qorinet_base_client.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <sstream>

namespace z2e {
namespace cli {
namespace {

void printJson(const std::vector<DoctorFinding>& findings, int status)
{
    std::ostringstream out;
    out << "{\"findings\":[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const DoctorFinding& finding = findings[i];
        out << (i ? "," : "") << "{\"level\":" << jsonString(DoctorFinding::levelName(finding.level))
            << ",\"title\":" << jsonString(finding.title) << ",\"detail\":" << jsonString(finding.detail)
            << ",\"nextStep\":" << jsonString(finding.nextStep) << "}";
    }
    out << "],\"allWell\":" << (status == EXIT_OK ? "true" : "false") << ",\"exitStatus\":" << status << "}\n";
    std::cout << out.str();
}

void printText(const std::vector<DoctorFinding>& findings)
{
    std::vector<std::vector<std::string>> rows;
    for (const DoctorFinding& finding : findings) {
        // Titles and details name nodes by what they answered.
        rows.push_back({DoctorFinding::levelName(finding.level), oneLine(finding.title)});
        if (!finding.detail.empty())
            rows.push_back({"", oneLine(finding.detail)});
        if (!finding.nextStep.empty())
            rows.push_back({"", "next: " + oneLine(finding.nextStep)});
    }
    std::cout << alignedColumns(rows);
}

} // namespace

int doctorCommand(const CliOptions& options)
{
    DiscoveryProbe::Options probe;
    probe.settings.tuning.basePort = options.basePort;
    // The addresses kept by nodes --add are asked as the window asks them, with those named here.
    probe.rememberedNodes = RememberedNodes().addresses();
    for (const std::string& node : options.nodes) {
        if (std::find(probe.rememberedNodes.begin(), probe.rememberedNodes.end(), node) == probe.rememberedNodes.end())
            probe.rememberedNodes.push_back(node);
    }
    if (options.scanMs != 0)
        probe.scanMs = options.scanMs;
    // The discovery thread's own complaint would spoil the JSON; the findings say it anyway.
    qorinet_api::QORINetBaseClient::setMessageStream(stderr);
    const std::atomic<bool> cancel{false};
    const std::vector<DoctorFinding> findings = DiscoveryDoctor::run(probe, cancel);
    const int status = DiscoveryDoctor::allWell(findings) ? EXIT_OK : EXIT_DOCTOR_FINDINGS;
    if (options.json)
        printJson(findings, status);
    else
        printText(findings);
    return status;
}

} // namespace cli
} // namespace z2e
