#pragma once
// "Board Configuration": the optional features of a board's base board, one drop-down per
// visible feature; Apply writes the combined feature set and reads the board again.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/board_features.h"
#include "tools/board_read_back.h"

#include <QDialog>
#include <QMetaType>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class DialogBoardConfig;
}

namespace z2e {

/// What an entry of a feature's drop-down stands for: its value within the feature's bits.
struct BoardConfigFeatureValue {
    std::uint32_t mask = 0;
    std::uint32_t value = 0;
};

class MaintenanceJournal;

class CBoardConfigDialog : public QDialog {
    Q_OBJECT

public:
    /// Works on the first board of the target; its features are read at opening.
    explicit CBoardConfigDialog(const ToolTarget& target, QWidget* parent = nullptr);
    ~CBoardConfigDialog() override;

    /// 0 when the board's properties could be read at opening.
    std::int32_t readStatus() const { return m_readStatus; }
    /// The feature set read at opening with every row's choice applied in row order.
    std::uint32_t chosenFeatureSet() const;

    /// Apply has written: the answer of the commit (or the write's failure) and the board as it
    /// reported itself afterwards.
    bool written() const { return m_written; }
    std::int32_t writeResult() const { return m_result; }
    const BoardReadBack& readBack() const { return m_readBack; }
    /// One line on what Apply did, for the window's status bar.
    QString outcomeText() const;

public slots:
    void save();

private:
    void showTable();

    std::unique_ptr<Ui::DialogBoardConfig> m_ui;
    ToolTarget m_target;
    std::unique_ptr<MaintenanceJournal> m_journal;
    FeatureTable m_table;
    std::int32_t m_readStatus = 0;
    bool m_written = false;
    std::int32_t m_result = 0;
    std::uint32_t m_writtenSet = 0;
    BoardReadBack m_readBack;
    std::string m_message; ///< why the write failed, in words
};

} // namespace z2e

Q_DECLARE_METATYPE(z2e::BoardConfigFeatureValue)
