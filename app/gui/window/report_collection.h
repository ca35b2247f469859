#pragma once
// "Collect data" of the logging dialog: the report package of the driver's logs with the
// inventory of every system the window sees, built behind the progress window in the system's
// temporary folder, then placed where the operator chooses. Every outcome is told in a message.

#include "gui/window/file_chooser.h"

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace z2e {

struct NetworkNodeRecord;
class SystemModel;

class ReportCollection {
public:
    /// `startupStatus` is the window's start-up status: the local system's firmware is checked
    /// only when it was read (0), and the inventory tells it.
    ReportCollection(SystemModel& system, std::int32_t startupStatus, FileChooser chooser);

    /// Collects with `nodes` (the network nodes the window holds; read on this thread only) and
    /// asks for the destination; messages go over `parent`. The file written, empty when none.
    QString run(const std::vector<const NetworkNodeRecord*>& nodes, QWidget* parent);

private:
    SystemModel& m_system;
    std::int32_t m_startupStatus;
    FileChooser m_chooser;
};

} // namespace z2e
