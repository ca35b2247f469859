#include "tools/journal_problems.h"

#include "tools/maintenance_journal.h"

namespace z2e {

void JournalProblems::addFailedSelfTests(const ModelNode& root, const MaintenanceJournal& journal,
                                         std::vector<Problem>& problems)
{
    for (const ModelNode* board : ProblemList::boards(root)) {
        const std::string serial = ProblemList::serialOf(*board);
        if (serial.empty())
            continue;
        std::string last;
        for (const std::string& line : journal.history(serial)) {
            if (MaintenanceJournal::field(line, "operation") == "selftest")
                last = line;
        }
        if (last.empty() || MaintenanceJournal::field(last, "status").find("FAILED") == std::string::npos)
            continue;
        const std::string document = MaintenanceJournal::field(last, "resultDocument");
        problems.push_back({Problem::Kind::SelfTestFailed, ProblemList::place(*board),
                            "last self test failed (" + MaintenanceJournal::field(last, "time") + ")",
                            "Board History for its checks" + (document.empty() ? "" : " (" + document + ")") +
                                "; repair, then Self Test again",
                            board});
    }
}

} // namespace z2e
