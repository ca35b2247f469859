#include "tools/journal_problems.h"

#include "core/remote_system_builder.h"
#include "core/root_node.h"
#include "core/system_health.h"
#include "tools/maintenance_journal.h"

#include <map>
#include <string>

namespace z2e {

void JournalProblems::addFailedSelfTests(const ModelNode& root, const MaintenanceJournal& journal,
                                         std::vector<Problem>& problems)
{
    const std::vector<const ModelNode*> boards = ProblemList::boards(root);
    if (boards.empty())
        return;
    // One pass over the journal for every board: the last self test of each serial.
    std::map<std::string, std::string> lastTest;
    for (const std::string& line : journal.history("")) {
        if (MaintenanceJournal::field(line, "operation") == "selftest")
            lastTest[MaintenanceJournal::serialKey(MaintenanceJournal::field(line, "serial"))] = line;
    }
    for (const ModelNode* board : boards) {
        const std::string serial = ProblemList::serialOf(*board);
        const auto found = serial.empty() ? lastTest.end() : lastTest.find(MaintenanceJournal::serialKey(serial));
        if (found == lastTest.end() ||
            MaintenanceJournal::field(found->second, "status").find("FAILED") == std::string::npos)
            continue;
        const std::string& last = found->second;
        const std::string document = MaintenanceJournal::field(last, "resultDocument");
        problems.push_back({Problem::Kind::SelfTestFailed, ProblemList::place(*board),
                            "last self test failed (" + MaintenanceJournal::field(last, "time") + ")",
                            "Board History for its checks" + (document.empty() ? "" : " (" + document + ")") +
                                "; repair, then Self Test again",
                            board});
    }
}

std::vector<Problem> JournalProblems::of(const ModelNode& root)
{
    std::vector<Problem> problems = ProblemList::of(root);
    addFailedSelfTests(root, MaintenanceJournal(MaintenanceJournal::defaultFolder(), ""), problems);
    return problems;
}

int JournalProblems::count(const NetworkNodeRecord& record)
{
    if (!SystemHealth::readYet(record))
        return 0;
    RootNode root(SystemKind::Remote);
    RemoteSystemBuilder::fillRoot(root, record);
    return static_cast<int>(of(root).size());
}

} // namespace z2e
