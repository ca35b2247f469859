// The Bus Test dialog on the simulated driver's example hardware: a frame sent on channel 0 is
// listed from channel 1, destroyed frames raise the counters shown, the trace saved reads back,
// and closing mid-run closes the bus.

#include "gui/dialogs/tools/bus_test_dialog.h"
#include "gui/models/bus_frame_model.h"
#include "model_tester_guard.h"
#include "tool_dialog_fixture.h"
#include "window_test_support.h"

#include "support/eventually.h"
#include "tools/bus_trace_file.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

namespace z2e {
namespace {

using namespace testing_tools;

constexpr std::uint32_t kCanBoard = 3; // QN-6204-CAN
constexpr std::int32_t kCanNotOpen = 0x0402;
constexpr auto kPatience = std::chrono::seconds(10);

/// Runs the dialog's turns until `condition` holds or the patience ends.
bool turnsUntil(CBusTestDialog& dialog, const std::function<bool()>& condition)
{
    return test::eventually(
        [&] {
            QApplication::processEvents();
            dialog.drain();
            return condition();
        },
        kPatience);
}

bool listed(const BusFrameModel& frames, std::int32_t channel, std::uint32_t id, const std::vector<std::uint8_t>& data)
{
    for (const BusRecord& record : frames.records()) {
        if (record.channel == channel && record.id == id && record.data == data)
            return true;
    }
    return false;
}

class BusTestDialogTest : public ToolDialogTest {
protected:
    void SetUp() override
    {
        ToolDialogTest::SetUp();
        // Every second frame a channel sends is destroyed on the cable.
        m_bus = std::make_unique<test::EnvOverride>("ZMPXI_SIM_BUS", "can-error-every=2");
        connectExample();
    }
    QString counts(QWidget& dialog) { return z2e_test::child<QLabel>(&dialog, "labelCounts")->text(); }
    void click(QWidget& dialog, const char* name) { z2e_test::child<QPushButton>(&dialog, name)->click(); }

    std::unique_ptr<test::EnvOverride> m_bus;
};

TEST_F(BusTestDialogTest, AFrameSentOnChannelZeroIsListedFromChannelOneAndErrorsRaiseTheCounters)
{
    const std::string traceFile = m_site / "documents/trace.csv";
    std::vector<FileRequest> asked;
    CBusTestDialog dialog(target({0, kCanBoard}), [&](QWidget*, const FileRequest& request) {
        asked.push_back(request);
        return QString::fromStdString(traceFile);
    });
    ModelTesterGuard guard;
    QAbstractItemModelTester tester(&dialog.frames(), QAbstractItemModelTester::FailureReportingMode::Warning);
    dialog.show();
    ASSERT_TRUE(dialog.chooseBoard(kCanBoard));
    click(dialog, "btnStart");
    ASSERT_TRUE(dialog.running());

    dialog.addTransmit(0, "123", "DE AD 01", 100);
    click(dialog, "btnSendOnce");
    ASSERT_TRUE(turnsUntil(dialog, [&] {
        return listed(dialog.frames(), 1, 0x123, {0xDE, 0xAD, 0x01});
    })) << counts(dialog).toStdString();
    EXPECT_EQ(dialog.frames().data(dialog.frames().index(0, BusFrameModel::Id)).toString(), "123");
    EXPECT_EQ(dialog.frames().data(dialog.frames().index(0, BusFrameModel::Data)).toString(), "DE AD 01");

    // The second frame is destroyed: an error frame is listed and the sender's counter rises.
    click(dialog, "btnSendOnce");
    ASSERT_TRUE(turnsUntil(dialog, [&] { return counts(dialog).contains("error counters 0: 8,"); }))
        << counts(dialog).toStdString();
    EXPECT_TRUE(counts(dialog).contains("error frames 1")) << counts(dialog).toStdString();
    EXPECT_TRUE(counts(dialog).contains("sent 2")) << counts(dialog).toStdString();

    click(dialog, "btnSave");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].save);
    BusKind kind = BusKind::Uart;
    std::vector<BusRecord> read;
    std::string error;
    ASSERT_TRUE(BusTraceFile::read(traceFile, kind, read, error)) << error;
    EXPECT_EQ(kind, BusKind::Can);
    ASSERT_EQ(read.size(), dialog.frames().records().size());
    EXPECT_EQ(read.front().id, 0x123u);

    // Closed mid-run: the run has ended and the bus is closed before the dialog is gone.
    dialog.reject();
    EXPECT_FALSE(dialog.running());
    EXPECT_EQ(m_session->wrapper().node()->StartCAN(static_cast<std::int32_t>(kCanBoard), 0), kCanNotOpen);
    EXPECT_TRUE(ModelTesterGuard::warnings().isEmpty()) << ModelTesterGuard::report();
}

TEST_F(BusTestDialogTest, AWrongTransmitLineOrIdRangeIsNamedAndNothingIsSent)
{
    CBusTestDialog dialog(target({kCanBoard}), chooseFileWithDialog);
    dialog.show();
    z2e_test::child<QLineEdit>(&dialog, "editIdHigh")->setText("2000000G");
    click(dialog, "btnStart");
    EXPECT_FALSE(dialog.running());
    EXPECT_TRUE(z2e_test::child<QLabel>(&dialog, "labelState")->text().contains("is not one"));

    z2e_test::child<QLineEdit>(&dialog, "editIdLow")->setText("800");
    z2e_test::child<QLineEdit>(&dialog, "editIdHigh")->setText("7FF");
    click(dialog, "btnStart");
    EXPECT_FALSE(dialog.running());
    EXPECT_TRUE(z2e_test::child<QLabel>(&dialog, "labelState")->text().contains("above the highest"));

    z2e_test::child<QLineEdit>(&dialog, "editIdLow")->setText("0");
    click(dialog, "btnStart");
    ASSERT_TRUE(dialog.running());
    dialog.addTransmit(0, "123", "01 02 03 04 05 06 07 08 09", 100);
    click(dialog, "btnSendOnce");
    EXPECT_TRUE(z2e_test::child<QLabel>(&dialog, "labelState")->text().startsWith("Transmit line 1: the data has 9"));
    click(dialog, "btnStop");
    ASSERT_TRUE(turnsUntil(dialog, [&] { return !dialog.running(); }));
    EXPECT_TRUE(counts(dialog).contains("sent 0")) << counts(dialog).toStdString();
    EXPECT_TRUE(z2e_test::child<QLabel>(&dialog, "labelState")->text().contains("bus is closed"));
}

TEST_F(BusTestDialogTest, EachLinesLoadIsShownAgainstTheRateItsDescriptionGives)
{
    CBusTestDialog dialog(target({kCanBoard}), chooseFileWithDialog);
    dialog.show();
    click(dialog, "btnStart");
    ASSERT_TRUE(dialog.running());
    // Slow enough that the frames the cable destroys do not take the sender off the bus.
    dialog.addTransmit(0, "123", "01 02 03 04 05 06 07 08", 50);
    click(dialog, "btnSendPeriodic");
    // 111 bits every 50 ms: 0.44 % of the sender's 500 kbit/s; every second frame reaches the
    // other end (the others are destroyed): 0.22 %. Read in the second second, so that each
    // second counts only its own bits.
    const QRegularExpression load("sent ([0-9]+),.*\nLine load 0: ([0-9.]+) % of 500 kbit/s, 1: ([0-9.]+) % of "
                                  "500 kbit/s, 2: 0.0 % of 500 kbit/s",
                                  QRegularExpression::DotMatchesEverythingOption);
    QRegularExpressionMatch match;
    ASSERT_TRUE(turnsUntil(dialog, [&] {
        match = load.match(counts(dialog));
        return match.hasMatch() && match.captured(1).toInt() >= 30;
    })) << counts(dialog).toStdString();
    EXPECT_GT(match.captured(2).toDouble(), 0.3) << counts(dialog).toStdString();
    EXPECT_LT(match.captured(2).toDouble(), 0.6) << counts(dialog).toStdString();
    EXPECT_GT(match.captured(3).toDouble(), 0.1) << counts(dialog).toStdString();
    EXPECT_LT(match.captured(3).toDouble(), 0.33) << counts(dialog).toStdString();
    click(dialog, "btnStop");
    ASSERT_TRUE(turnsUntil(dialog, [&] { return !dialog.running(); }));
    EXPECT_FALSE(counts(dialog).contains("Line load")) << "a stopped run has no load";
}

TEST(BusFrameModelTest, BatchesKeepTheNewestFramesOfTheRing)
{
    ModelTesterGuard guard;
    BusFrameModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setCapacity(3);
    const auto batch = [](std::uint32_t first, std::uint32_t count) {
        std::vector<BusRecord> records;
        for (std::uint32_t id = first; id < first + count; ++id)
            records.push_back(BusRecord{id, 0, id, 0, {}});
        return records;
    };
    model.append(batch(1, 2));
    model.append(batch(3, 2));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.records().front().id, 2u);
    EXPECT_EQ(model.overwritten(), 1u);
    model.append(batch(10, 5)); // more than the ring holds at once
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.records().front().id, 12u);
    EXPECT_EQ(model.records().back().id, 14u);
    EXPECT_EQ(model.overwritten(), 6u);
    model.setCapacity(1);
    EXPECT_EQ(model.records().front().id, 14u);
    // A larger ring again, filled past its end with UART-sized blocks: rows stay in order.
    model.setCapacity(4);
    std::vector<BusRecord> blocks = batch(20, 5);
    for (BusRecord& block : blocks)
        block.data = std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(block.id));
    model.append({blocks.begin(), blocks.begin() + 2});
    model.append({blocks.begin() + 2, blocks.end()});
    ASSERT_EQ(model.rowCount(), 4);
    for (std::size_t row = 0; row < 4; ++row) {
        EXPECT_EQ(model.record(row).id, 21u + row);
        EXPECT_EQ(model.record(row).data, blocks[row + 1].data);
    }
    EXPECT_EQ(model.data(model.index(3, BusFrameModel::Length)).toInt(), 100);
    // A full ring goes on round: each new frame takes the oldest one's place.
    for (std::uint32_t id = 25; id <= 30; ++id)
        model.append(batch(id, 1));
    for (std::size_t row = 0; row < 4; ++row)
        EXPECT_EQ(model.record(row).id, 27u + row);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(ModelTesterGuard::warnings().isEmpty()) << ModelTesterGuard::report();
}

} // namespace
} // namespace z2e
