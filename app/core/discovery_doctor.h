#pragma once
// "Why no nodes?": turns the facts of a discovery diagnosis into findings in words, each with
// how serious it is and what to do next: the interfaces looked on, the allowed networks and
// what they leave out, ports taken by other programs, scans that did not go out, silent
// remembered nodes, link-local, foreign and duplicate node addresses, nodes gone quiet.

#include "core/discovery_facts.h"
#include "core/discovery_probe.h"
#include "core/doctor_finding.h"

#include <atomic>
#include <vector>

namespace z2e {

class DiscoveryDoctor {
public:
    /// The findings of `facts`: settings and interfaces first, then ports, scans and nodes.
    static std::vector<DoctorFinding> judge(const DiscoveryFacts& facts);
    /// Examines with `options` (blocking, at most the scan time) and judges.
    static std::vector<DoctorFinding> run(const DiscoveryProbe::Options& options, const std::atomic<bool>& cancel);
    /// No finding is a warning or a problem.
    static bool allWell(const std::vector<DoctorFinding>& findings);
};

} // namespace z2e
