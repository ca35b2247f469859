#pragma once
// Flat list of texts owned by someone else; the owner calls refresh() after changing it.

#include <QAbstractListModel>
#include <QStringList>

namespace z2e {

class CListViewModel : public QAbstractListModel {
    Q_OBJECT

public:
    /// A model over `texts` (may be null: an empty list); `texts` must outlive the model.
    explicit CListViewModel(const QStringList* texts = nullptr, QObject* parent = nullptr);
    ~CListViewModel() override;

    /// Shows another list (may be null) and resets the views.
    void setTexts(const QStringList* texts);
    /// Resets the views after the owner changed the list.
    void refresh();

    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QStringList* m_texts;
};

} // namespace z2e
