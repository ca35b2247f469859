// A firmware run over several boards as the operator follows it: each row as its board starts
// and ends, and a journal that cannot take a board's line does not stop the boards after it.
#include "tools_fixture.h"

#include "driver/command/app_status.h"
#include "tools/firmware_updater.h"
#include "tools/maintenance_journal.h"

#include <filesystem>

namespace z2e {
namespace {

using namespace testing_tools;
namespace fs = std::filesystem;

class FirmwareRunRowsTest : public ToolsTest {
protected:
    QorinNodeUtilWrapper& twoBoards()
    {
        return connectHardware(boardEntry(0, "QA-4008.BNC", 2, "0251", "10A80001") +
                               boardEntry(1, "QA-4008.BNC", 3, "0251", "10A80002"));
    }
};

TEST_F(FirmwareRunRowsTest, EachRowIsToldWhenItsBoardStartsAndEnds)
{
    QorinNodeUtilWrapper& wrapper = twoBoards();
    FirmwareUpdater updater(wrapper, nullptr);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    std::vector<std::string> seen;
    updater.observeRows([&seen](std::size_t index, const FirmwareRow& row) {
        seen.push_back(std::to_string(index) + " " + row.result);
    });
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::FirmwareUpdated);
    EXPECT_EQ(seen, (std::vector<std::string>{"0 Updating...", "0 OK", "1 Updating...", "1 OK"}));
}

TEST_F(FirmwareRunRowsTest, ALostJournalLineDoesNotStopTheOtherBoards)
{
    QorinNodeUtilWrapper& wrapper = twoBoards();
    MaintenanceJournal journal(maintenance(), "local");
    FirmwareUpdater updater(wrapper, &journal);
    std::vector<FirmwareRow> rows;
    ASSERT_EQ(updater.check({}, rows), 0);
    fs::create_directories(maintenance() + "/history.jsonl"); // no line can be appended
    EXPECT_EQ(updater.update(rows, false, nullptr, kGo), AppStatus::JournalFailed);
    EXPECT_EQ(rows[0].result, "OK");
    EXPECT_EQ(rows[1].result, "OK");
    EXPECT_EQ(rows[1].installed, "0254");
    EXPECT_TRUE(updater.updatedWithoutJournal());
    EXPECT_NE(updater.message().find("0/2  QA-4008.BNC 10A80001: the update was made"), std::string::npos)
        << updater.message();
    EXPECT_NE(updater.message().find("0/3  QA-4008.BNC 10A80002: the update was made"), std::string::npos)
        << updater.message();
}

} // namespace
} // namespace z2e
