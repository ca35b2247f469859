#include "gui/dialogs/tools/tool_read.h"

#include "gui/dialogs/auxiliary/misc_utils.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"

namespace z2e {

const char* const kReadCancelledText = "Cancelled: the node did not answer, nothing was read.";

std::function<void()> cancelOf(const ToolTarget& target, std::atomic<bool>& cancelled)
{
    if (!target.interruptible || !target.wrapper)
        return {};
    const std::shared_ptr<QorinNodeUtilWrapper> wrapper = target.wrapper;
    return [wrapper, &cancelled] {
        cancelled = true;
        wrapper->interrupt();
    };
}

std::int32_t readBehindProgress(const ToolTarget& target, const QString& title, const QString& message, QWidget* parent,
                                const std::function<std::int32_t()>& read)
{
    std::atomic<bool> cancelled{false};
    const std::int32_t status = CMiscUtils::runBehindProgress(
        title, message, parent, [&read](CInProgress&) { return read(); }, false, cancelOf(target, cancelled));
    return cancelled ? std::int32_t{AppStatus::Cancelled} : status;
}

QString readFailureText(std::int32_t status)
{
    return QString::fromStdString(status == AppStatus::Cancelled ? std::string(kReadCancelledText)
                                                                 : statusMessage(status));
}

} // namespace z2e
