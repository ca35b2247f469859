#pragma once
// The problems only the maintenance journal knows: a board whose last self test failed.

#include "core/problem_list.h"

#include <vector>

namespace z2e {

class MaintenanceJournal;

class JournalProblems {
public:
    /// Adds a problem for each board below `root` whose last self test in `journal` failed.
    static void addFailedSelfTests(const ModelNode& root, const MaintenanceJournal& journal,
                                   std::vector<Problem>& problems);
};

} // namespace z2e
