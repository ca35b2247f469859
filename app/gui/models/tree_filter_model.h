#pragma once
// The rows of a tree model whose text contains a word, with the rows above them; the matching
// rows themselves are bold. The matches are found in one walk of the source model per filter
// text (not row by row from the proxy's own recursion), so that a tree of 100,000 rows is
// filtered once per word and the count comes for free.

#include <QSet>
#include <QSortFilterProxyModel>
#include <QString>

namespace z2e {

class CTreeFilterModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit CTreeFilterModel(QObject* parent = nullptr);

    /// Shows the rows containing `text` (any case) and their parents; an empty text shows all.
    void setFilterText(const QString& text);
    const QString& filterText() const { return m_text; }
    /// Number of rows whose own text contains the filter text.
    int matchCount() const { return m_matches.size(); }

    /// `index` of the source model whichever model it belongs to: a filter model's index is
    /// mapped, any other index is taken as it is.
    static QModelIndex sourceOf(const QModelIndex& index);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    /// Walks the source model and collects the matching rows and the rows above them.
    void findMatches();

    QString m_text;
    QSet<quintptr> m_matches;
    QSet<quintptr> m_shown;
};

} // namespace z2e
