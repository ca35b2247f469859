#pragma once
// The problems only the maintenance journal knows: a board whose last self test failed.

#include "core/network_node_record.h"
#include "core/problem_list.h"

#include <vector>

namespace z2e {

class MaintenanceJournal;

class JournalProblems {
public:
    /// Adds a problem for each board below `root` whose last self test in `journal` failed.
    static void addFailedSelfTests(const ModelNode& root, const MaintenanceJournal& journal,
                                   std::vector<Problem>& problems);

    /// Every problem of the system below `root`: its tree's, then the failed last self tests
    /// of the journal in the program's folder. What the Problems tab, its badges and
    /// `zamo2ctl problems` list alike.
    static std::vector<Problem> of(const ModelNode& root);
    /// of() for the tree the window builds from `record`; 0 for a node not read yet.
    static int count(const NetworkNodeRecord& record);
};

} // namespace z2e
