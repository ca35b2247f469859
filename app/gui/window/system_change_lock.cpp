#include "gui/window/system_change_lock.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"

#include <atomic>

namespace z2e {

namespace {

const char* const kProgram = "zamo2explorer";

QString waitingText(const std::string& busy)
{
    return QString::fromStdString(busy) + "\nWaiting until it is done; Cancel gives up without a change.";
}

} // namespace

std::string SystemChangeLock::systemOf(const ToolTarget& target)
{
    const auto node = target.wrapper ? target.wrapper->node() : nullptr;
    return !node || node->isLocal() ? SystemLock::localSystem() : SystemLock::nodeSystem(node->getAddress());
}

std::unique_ptr<SystemLock> SystemChangeLock::take(const std::string& system, const std::string& activity,
                                                   const QString& title, QWidget* parent)
{
    auto lock = std::make_unique<SystemLock>(SystemLock::defaultFolder(), system);
    // One attempt never blocks; only the wait for another holder needs the worker.
    SystemLock::Outcome outcome = lock->tryAcquire(kProgram, activity);
    if (outcome == SystemLock::Outcome::Busy) {
        std::atomic<bool> gaveUp{false};
        CMiscUtils::runBehindProgress(
            title, waitingText(lock->busyText()), parent,
            [&](CInProgress& progress) {
                const auto told = [&](const std::string& words) { emit progress.doSetMsgSig(waitingText(words)); };
                outcome =
                    lock->acquire(kProgram, activity, std::chrono::steady_clock::time_point::max(), told, &gaveUp);
                return 0;
            },
            false, [&gaveUp] { gaveUp = true; });
    }
    if (outcome == SystemLock::Outcome::Held)
        return lock;
    const std::string why = outcome == SystemLock::Outcome::Busy ? lock->busyText() : lock->error();
    CMiscUtils::notify(title, QString::fromStdString("Nothing was changed: " + why), parent);
    return nullptr;
}

} // namespace z2e
