#pragma once
// The window's side of the system lock (tools/system_lock.h): before a tool changes a system it
// takes that system's lock. When another program (zamo2ctl, a second window) holds it, a
// progress window shows who ("busy: zamo2ctl pid 4711 is updating firmware") while a worker
// waits for it, and Cancel gives up; the GUI thread never blocks.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/system_lock.h"

#include <QString>

#include <memory>
#include <string>

class QWidget;

namespace z2e {

class SystemChangeLock {
public:
    SystemChangeLock() = delete;

    /// The system a tool on `target` changes: this computer's driver or the node.
    static std::string systemOf(const ToolTarget& target);
    /// The held lock of `system` for `activity` ("updating firmware"), or null when the operator
    /// gave up waiting or the lock cannot be used (told in a message titled `title`).
    static std::unique_ptr<SystemLock> take(const std::string& system, const std::string& activity,
                                            const QString& title, QWidget* parent);
    static std::unique_ptr<SystemLock> take(const ToolTarget& target, const std::string& activity, const QString& title,
                                            QWidget* parent)
    {
        return take(systemOf(target), activity, title, parent);
    }
};

} // namespace z2e
