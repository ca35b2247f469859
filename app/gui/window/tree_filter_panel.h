#pragma once
// The filter field above a tree view, with the count of matching rows beside it. The panel
// takes the view's place in its splitter and holds the view below the field. While a word is
// typed the view shows a filter model over the tree (fully expanded); the view's own model
// comes back when the field is cleared, with the rows expanded as before and the current row
// kept. Filtering waits for a short pause in the typing, so a long tree never stalls the keys.

#include <QModelIndex>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QAbstractItemModel;
class QSplitter;
class QTreeView;

namespace Ui {
class CTreeFilterPanel;
}

namespace z2e {

class CTreeFilterModel;

class CTreeFilterPanel : public QWidget {
    Q_OBJECT

public:
    /// Pause in the typing after which the tree is filtered.
    static constexpr int kTypingPauseMs = 150;

    /// Puts the panel in place of `view` in `splitter` and the view into the panel.
    CTreeFilterPanel(QTreeView* view, QSplitter* splitter);
    ~CTreeFilterPanel() override;

    /// Shows `model` in the view, filtered when a word is in the field. Use this instead of the
    /// view's setModel().
    void showModel(QAbstractItemModel* model);
    /// The model the view shows when not filtered.
    QAbstractItemModel* shownModel() const { return m_source; }
    /// Focuses the field with its text selected.
    void focusField();
    /// Filters for the field's text now instead of after the pause.
    void applyFilter();
    /// Puts `text` into the field and filters for it now.
    void filterFor(const QString& text);
    /// The count of matching rows (0 without a filter).
    int matchCount() const;
    /// The view's current row in the shown model, whether or not filtered.
    QModelIndex currentSourceIndex() const;
    /// Makes the row `source` of the shown model the view's current one, in sight.
    void selectSource(const QModelIndex& source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hdl_TextChanged();
    /// Filter models' rows expanded in the unfiltered view, as row paths from the top.
    void rememberExpansion();
    void restoreExpansion();

    std::unique_ptr<Ui::CTreeFilterPanel> m_ui;
    QTreeView* m_view;
    QPointer<QAbstractItemModel> m_source;
    CTreeFilterModel* m_filter;
    QTimer m_pause;
    /// The model the remembered expansion belongs to.
    QPointer<QAbstractItemModel> m_expandedModel;
    std::vector<std::vector<int>> m_expanded;
};

} // namespace z2e
