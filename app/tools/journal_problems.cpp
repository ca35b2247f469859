#include "tools/journal_problems.h"

#include "core/remote_system_builder.h"
#include "core/root_node.h"
#include "core/system_health.h"
#include "tools/maintenance_journal.h"
#include "tools/test_verdict.h"

#include <map>
#include <string>

namespace z2e {

namespace {

// A result document is read only this far: its failed checks are near its start, and a
// damaged or planted file must not stall the list.
constexpr std::size_t kMostResultBytes = 1024 * 1024;
constexpr std::size_t kMostChecks = 3;

// The failed checks of a result document, with their values and limits: "AI0 +/-0.10 V:
// FAILED!! (Value: 0.0017 V) (Limit: 0.001)"; "" when it has none.
std::string failedChecks(const std::string& document)
{
    std::string status;
    std::vector<std::string> details;
    if (document.empty() || !TestVerdict::read(document, status, details))
        return {};
    std::string checks;
    std::size_t listed = 0;
    for (const std::string& detail : details) {
        // The measured items say more than the check above them.
        if (detail.find("FAILED") == std::string::npos || detail.find("(Value: ") == std::string::npos)
            continue;
        if (listed++ == kMostChecks)
            return checks + "; ...";
        const std::size_t start = detail.find_first_not_of(' ');
        checks += (checks.empty() ? "" : "; ") + detail.substr(start == std::string::npos ? 0 : start);
    }
    return checks;
}

} // namespace

void JournalProblems::addFailedSelfTests(const ModelNode& root, const MaintenanceJournal& journal,
                                         std::vector<Problem>& problems)
{
    const std::vector<const ModelNode*> boards = ProblemList::boards(root);
    if (boards.empty())
        return;
    // One pass over the journal for every board: the last self test of each serial.
    std::map<std::string, std::string> lastTest;
    journal.visit("", [&lastTest](const std::string& line) {
        if (MaintenanceJournal::field(line, "operation") == "selftest")
            lastTest[MaintenanceJournal::serialKey(MaintenanceJournal::field(line, "serial"))] = line;
    });
    for (const ModelNode* board : boards) {
        const std::string serial = ProblemList::serialOf(*board);
        const auto found = serial.empty() ? lastTest.end() : lastTest.find(MaintenanceJournal::serialKey(serial));
        if (found == lastTest.end() ||
            MaintenanceJournal::field(found->second, "status").find("FAILED") == std::string::npos)
            continue;
        const std::string& last = found->second;
        const std::string checks = failedChecks(journal.resultDocument(last, kMostResultBytes));
        problems.push_back({Problem::Kind::SelfTestFailed, ProblemList::place(*board),
                            "last self test failed (" + MaintenanceJournal::field(last, "time") + ")" +
                                (checks.empty() ? "" : ": " + checks),
                            "repair it, then Self Test again (Board History shows every check)", board});
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
