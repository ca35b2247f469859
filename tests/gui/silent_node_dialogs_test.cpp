// Every tool dialog that reads its node when it opens waits behind the progress window: on a
// node that never answers the event loop keeps turning, and Cancel ends the wait with words.
#include "support/node_sim.h"
#include "window_test_support.h"

#include "core/remote_node_session.h"
#include "gui/dialogs/tools/board_config_dialog.h"
#include "gui/dialogs/tools/crossgrade_dialog.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/dialogs/tools/enclosure_dialog.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/dialogs/tools/tool_read.h"
#include "gui/window/board_change_tools.h"

namespace z2e {
namespace {

const char* const kSilentAddress = "127.0.3.21";
// Only bounds a read that wrongly blocks the GUI thread: such a test fails instead of hanging.
constexpr std::uint32_t kRequestCeilingMs = 4000;
constexpr int kTickMs = 10;
constexpr int kWaitBeforeCancelMs = 200;

QString labelTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts.join("\n");
}

QString labelsOfMade(MenuEntry entry, const ToolTarget& target)
{
    const std::unique_ptr<QDialog> dialog = ToolDialogFactory::make(entry, target, chooseFileWithDialog, nullptr);
    return dialog ? labelTexts(*dialog) : QString("no dialog");
}

template <class Dialog>
QString labelsOf(const ToolTarget& target)
{
    Dialog dialog(target);
    return labelTexts(dialog);
}

class SilentNodeDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::uint16_t port = test::freeClientBasePort({kSilentAddress});
        ASSERT_NE(port, 0);
        // Driver commands get heartbeats and never an answer: a request waits until its link closes.
        ASSERT_TRUE(m_node.start(kSilentAddress, {"--fault", "heartbeats-only", "--heartbeat-ms", "100"}, port))
            << m_node.output();
        m_session = std::make_unique<RemoteNodeSession>(port);
        ASSERT_EQ(m_session->start(), 0);
        ASSERT_EQ(m_session->findNode(kSilentAddress, 15000), RemoteNodeSession::Found::Connectable);
    }

    test::NodeSimProcess m_node;
    std::unique_ptr<RemoteNodeSession> m_session; // after the node: it goes first
};

TEST_F(SilentNodeDialogsTest, EachDialogOpensAfterCancelWithoutBlockingTheEventLoop)
{
    const struct {
        const char* name;
        std::function<QString(const ToolTarget&)> open; // the words shown once it opened
    } cases[] = {
        {"self test", [](const ToolTarget& t) { return labelsOfMade(MenuEntry::SelfTest, t); }},
        {"firmware update", [](const ToolTarget& t) { return labelsOfMade(MenuEntry::FirmwareUpdate, t); }},
        {"firmware update pro", [](const ToolTarget& t) { return labelsOfMade(MenuEntry::FirmwareUpdatePro, t); }},
        {"enclosure data", labelsOf<CEnclosureDialog>},
        {"cross grade", labelsOf<CCrossgradeDialog>},
        {"board configuration", labelsOf<CBoardConfigDialog>},
        {"eeprom editor", labelsOf<CDialogSetEEPROM>},
        // Its read decides whether the dialog opens at all: a message says why it does not.
        {"simple cross grade",
         [](const ToolTarget& t) {
             z2e_test::DialogRecorder recorder;
             BoardChangeTools::crossGrade(&t, false, nullptr);
             return recorder.seen().join("\n");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each Cancel closed the link.
        ASSERT_EQ(m_session->connect(kRequestCeilingMs), 0);
        ToolTarget target;
        target.wrapper = m_session->maintenance();
        target.boards = {0};
        target.enclosure = 0;
        target.interruptible = true;

        int ticks = 0;
        QTimer tick;
        tick.setInterval(kTickMs);
        QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start();
        int ticksWhileWaiting = -1;
        const auto cancelLater = z2e_test::whenProgressShows("", [&](CInProgress& progress) {
            const int shownAt = ticks;
            auto* cancel = progress.findChild<QPushButton*>();
            QTimer::singleShot(kWaitBeforeCancelMs, cancel, [&ticks, &ticksWhileWaiting, shownAt, cancel] {
                ticksWhileWaiting = ticks - shownAt;
                cancel->click();
            });
        });
        const QString words = c.open(target);
        // A blocked loop never gets here; a free one ticks, however loaded the machine is.
        EXPECT_GE(ticksWhileWaiting, 1);
        EXPECT_TRUE(words.contains(kReadCancelledText)) << words.toStdString();
    }
}

} // namespace
} // namespace z2e
