#pragma once
// The tool dialogs against the driver stand-in: the connected session as their target, and the
// journal they write.

#include "tools/tools_fixture.h"

#include "gui/dialogs/tools/tool_target.h"
#include "tools/maintenance_journal.h"

#include <memory>
#include <string>
#include <vector>

namespace z2e {
namespace testing_tools {

class ToolDialogTest : public ToolsTest {
protected:
    /// `boards` of the connected session, which owns the wrapper: the dialogs only borrow it.
    ToolTarget target(std::vector<std::uint32_t> boards)
    {
        ToolTarget chosen;
        chosen.wrapper = std::shared_ptr<QorinNodeUtilWrapper>(std::shared_ptr<void>(), &m_session->wrapper());
        chosen.multiBoard = boards.size() > 1;
        chosen.boards = std::move(boards);
        chosen.folder = m_site / "documents";
        chosen.journalFolder = maintenance();
        return chosen;
    }

    /// The journal's lines of `serial` (of every board when empty).
    std::vector<std::string> history(const std::string& serial = "") const
    {
        return MaintenanceJournal(maintenance(), "").history(serial);
    }
    std::size_t historyOf(const std::string& serial = "") const { return history(serial).size(); }
    std::vector<std::size_t> historiesOf(const std::vector<std::string>& serials) const
    {
        std::vector<std::size_t> counts;
        for (const std::string& serial : serials)
            counts.push_back(historyOf(serial));
        return counts;
    }

    /// The example hardware, connected.
    void connectExample()
    {
        useExampleHardware();
        connect("SIMMODE_OFF");
    }
};

} // namespace testing_tools
} // namespace z2e
