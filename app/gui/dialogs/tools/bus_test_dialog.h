#pragma once
// "Bus Test…": watch and drive the CAN or UART channels of a board, local or on a network node.
// The run is a BusSession on a thread of its own; a timer takes its frames in batches into the
// list and shows the counts, so the window never waits on the bus. Closing the dialog ends
// the run, which stops the channels and closes the bus.

#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"
#include "tools/bus_monitor.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <optional>

namespace Ui {
class CBusTestDialog;
}

namespace z2e {

class BusFrameModel;
class BusSession;

class CBusTestDialog : public QDialog {
    Q_OBJECT

public:
    /// How often the list takes what the run gathered.
    static constexpr int kDrainMs = 100;

    CBusTestDialog(const ToolTarget& target, FileChooser chooser, QWidget* parent = nullptr);
    ~CBusTestDialog() override;

    /// Shown on the first CAN board of `system`, running, with frames sent and listed; null
    /// when the system has no CAN board.
    static QDialog* openForPicture(const ToolTarget& system, QWidget* parent);

    /// Chooses the board of the target by its driver index; false when the target has none such.
    bool chooseBoard(std::uint32_t board);
    void chooseBus(BusKind kind);
    bool running() const;
    /// Adds a line to the transmit list (id and data in hexadecimal, as typed).
    void addTransmit(std::int32_t channel, const QString& id, const QString& data, std::uint32_t everyMs);
    BusFrameModel& frames() const { return *m_model; }

public slots:
    void start();
    void stop();
    /// Takes the frames and counts gathered since the last turn; the timer calls it.
    void drain();
    void done(int result) override;

private slots:
    void sendOnce();
    void sendPeriodically();
    void saveTrace();

private:
    /// Chooses the bus of the board at `index` of the board list, when it has only one.
    void followBoard(int index);
    void fillChannels();
    void updateWidgets();
    void showCounts();
    /// Takes the counts of the last second: frames/s and each line's load, against the counts
    /// taken before (`m_counts`).
    void takeRates(const BusMonitorStatus& counts);
    QString loadText() const;
    /// The transmit lines chosen (or all), parsed; nullopt after saying what is wrong.
    std::optional<std::vector<BusSend>> transmitLines(bool periodic);
    void ended(const BusMonitorResult& result);
    /// Moves the frames the run gathered into the list.
    void takeFrames();
    BusKind kind() const;

    std::unique_ptr<Ui::CBusTestDialog> m_ui;
    ToolTarget m_target;
    FileChooser m_chooser;
    BusFrameModel* m_model;
    std::unique_ptr<BusSession> m_session;
    QTimer m_drain;
    BusKind m_runKind = BusKind::Can;
    std::uint64_t m_behind = 0;     ///< frames the list was too slow or paused for
    std::vector<BusRecord> m_taken; ///< the last frames taken; its storage serves the next take
    std::optional<BusMonitorStatus> m_counts;
    std::chrono::steady_clock::time_point m_lastCountsAt;
    double m_framesPerSecond = 0;
    /// Each channel's share of its rate over the last second, in %; none before a second has passed.
    std::optional<std::array<double, kBusChannels>> m_load;
    QString m_outcome; ///< how the last run ended
};

} // namespace z2e
