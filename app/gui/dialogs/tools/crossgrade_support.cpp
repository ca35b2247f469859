#include "gui/dialogs/tools/crossgrade_support.h"
#include "gui/window/system_change_lock.h"

#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/snapshot_question.h"

#include "core/application_status.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/board_cross_grade.h"
#include "tools/maintenance_journal.h"

namespace z2e {

std::int32_t runCrossGrade(const ToolTarget& target, const std::string& to, QWidget* parent)
{
    const char* const title = "Board Cross Grade";
    if (!target.wrapper || target.boards.empty()) {
        CMiscUtils::notify(title, "Invalid item selected!", parent);
        return AppStatus::NoSuchBoard;
    }
    const auto lock = SystemChangeLock::take(target, "cross-grading a board", title, parent);
    if (!lock)
        return AppStatus::Cancelled;
    const std::unique_ptr<MaintenanceJournal> journal = journalFor(target);
    BoardCrossGrade tool(*target.wrapper, journal.get());
    const std::uint32_t board = target.boards.front();
    const std::int32_t status = runChangeBehindProgress(
        title, "Applying changes to the board.", parent, journal.get(),
        [&tool, board, &to](CInProgress&) {
            return to.empty() ? tool.runSimple(board, nullptr) : tool.run(board, to, nullptr);
        },
        [&tool] { return tool.message(); });
    std::string text = statusMessage(status);
    if (text.empty())
        text = std::to_string(status) + " " + nodeResultText(status, target.wrapper.get());
    if (!tool.message().empty())
        text += "\n" + tool.message();
    CMiscUtils::notify(title, QString::fromStdString(text), parent);
    return status;
}

QString crossGradeBoardText(const ToolTarget& target, const std::string& baseId)
{
    if (!target.wrapper || target.boards.empty())
        return QString();
    return QString("Board %1, base generation %2")
        .arg(target.boards.front())
        .arg(QString::fromStdString(baseId.empty() ? "unknown" : baseId));
}

} // namespace z2e
