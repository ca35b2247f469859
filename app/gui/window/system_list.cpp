#include "gui/window/system_list.h"

#include "core/root_node.h"
#include "core/row_composer.h"
#include "core/system_health.h"
#include "gui/models/system_list_roles.h"
#include "gui/models/tree_view_model.h"
#include "tools/journal_problems.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace z2e {
namespace {

const char* const kSelected = "selected";
// The entry's own second line and colour, while an address problem is shown in their place.
constexpr int kPlainDetailRole = Qt::UserRole + 40;
constexpr int kPlainColourRole = Qt::UserRole + 41;
constexpr int kAddressProblemRole = Qt::UserRole + 42;
const char* const kUnselected = "unselected";

QString pictureResource(const QString& detail)
{
    const std::string text = detail.toStdString();
    if (text.empty())
        return ":/enc_icons/res/blank.png";
    if (text.find("Host PC") != std::string::npos)
        return ":/enc_icons/res/laptop.png";
    const int place = RowComposer::enclosureIcon(text);
    if (place == TreeIcon::Enclosure)
        return ":/enc_icons/res/enclosure.png";
    return QString::fromStdString(RowComposer::iconResourcePath(place));
}

// Local first, then by name; equal names keep the order of their node ids.
bool sortsBefore(const QListWidgetItem& a, const QListWidgetItem& b)
{
    const int byName = a.data(SystemListRole::Caption)
                           .toString()
                           .compare(b.data(SystemListRole::Caption).toString(), Qt::CaseInsensitive);
    if (byName != 0)
        return byName < 0;
    return a.data(SystemList::kNodeIdRole).toUInt() < b.data(SystemList::kNodeIdRole).toUInt();
}

} // namespace

SystemList::SystemList(QListWidget* list) : m_list(list) {}

QListWidgetItem* SystemList::localItem()
{
    if (m_list->count() == 0)
        m_list->addItem(new QListWidgetItem());
    return m_list->item(0);
}

void SystemList::setLocalEntry(const QString& systemName)
{
    QListWidgetItem* item = localItem();
    item->setData(SystemListRole::Caption, QStringLiteral("Local System"));
    item->setData(SystemListRole::Picture, pictureFor(systemName));
    item->setData(SystemListRole::Detail, systemName);
    item->setData(SystemListRole::DetailColour, static_cast<int>(Qt::black));
    recountLocal();
    m_list->setCurrentRow(0);
    markSelected(0);
    m_list->setFocus();
}

void SystemList::markSelected(int row)
{
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setData(SystemListRole::Selection, QString(i == row ? kSelected : kUnselected));
}

void SystemList::followLocalTree(const CTreeViewModel& model)
{
    m_localTree = &model;
    QObject::connect(&model, &QAbstractItemModel::modelReset, m_list, [this] { recountLocal(); });
    QObject::connect(&model, &QAbstractItemModel::dataChanged, m_list, [this] { recountLocal(); });
}

void SystemList::recountLocal()
{
    // No local entry before start-up has filled the views.
    if (!m_localTree || m_list->count() == 0)
        return;
    const ModelNode* root = m_localTree->nodeAt(m_localTree->index(0, 0));
    m_localBoards = root ? SystemHealth::boardCount(*root) : 0;
    setProblems(*m_list->item(0), root ? static_cast<int>(JournalProblems::of(*root).size()) : 0);
}

void SystemList::setLocalScanState(const QString& scanState)
{
    m_localScan = scanState;
    refreshToolTip(*localItem());
}

int SystemList::upsertNetworkNode(const NetworkNodeRecord& node, bool communicationProblem, int syncState)
{
    const QString caption = nodeCaption(node);
    QString detail = node.enclosures.empty() ? caption : QString::fromStdString(node.enclosures.front().name);
    if (detail.isEmpty())
        detail = "Unknown enclosure";
    int colour = Qt::black;
    if (communicationProblem) {
        detail = "Communication problem";
        colour = Qt::red;
    }
    QString third = QString("IP:\t%1").arg(QString::fromStdString(node.address));
    if (node.simulated)
        third += "[SIM]";

    int row = rowOfNode(node.nodeId);
    if (row < 0) {
        localItem();
        m_list->addItem(new QListWidgetItem());
        row = m_list->count() - 1;
    }
    QListWidgetItem* item = m_list->item(row);
    item->setData(SystemListRole::Summary, QString::fromStdString(SystemHealth::nodeSummary(node)));
    item->setData(SystemListRole::Caption, caption);
    item->setData(SystemListRole::Picture, pictureFor(detail));
    item->setData(SystemListRole::Detail, detail);
    item->setData(SystemListRole::DetailColour, colour);
    item->setData(kPlainDetailRole, detail);
    item->setData(kPlainColourRole, colour);
    item->setData(kAddressProblemRole, QVariant());
    item->setData(SystemListRole::ThirdLine, third);
    item->setData(SystemListRole::Selection, QString(kUnselected));
    item->setData(SystemListRole::SyncState, syncState);
    item->setData(kNodeIdRole, node.nodeId);
    setProblems(*item, JournalProblems::count(node));
    return placeByName(row);
}

void SystemList::updateNodeHealth(const NetworkNodeRecord& node)
{
    const int row = rowOfNode(node.nodeId);
    if (row < 0)
        return;
    QListWidgetItem* item = m_list->item(row);
    item->setData(SystemListRole::Summary, QString::fromStdString(SystemHealth::nodeSummary(node)));
    setProblems(*item, JournalProblems::count(node));
}

void SystemList::setAddressProblem(std::uint32_t id, const QString& status, const QString& problem)
{
    const int row = rowOfNode(id);
    if (row < 0)
        return;
    QListWidgetItem* item = m_list->item(row);
    const bool marked = !status.isEmpty();
    item->setData(SystemListRole::Detail, marked ? status : item->data(kPlainDetailRole));
    item->setData(SystemListRole::DetailColour, marked ? static_cast<int>(Qt::red) : item->data(kPlainColourRole));
    item->setData(kAddressProblemRole, marked ? QVariant(status + ": " + problem) : QVariant());
    refreshToolTip(*item);
}

void SystemList::setNodeCaption(std::uint32_t id, const QString& caption)
{
    const int row = rowOfNode(id);
    if (row < 0)
        return;
    m_list->item(row)->setData(SystemListRole::Caption, caption);
    placeByName(row);
}

void SystemList::keepRow(int& row, const std::function<void()>& change)
{
    const bool network = row > 0 && row < m_list->count();
    const std::uint32_t id = network ? m_list->item(row)->data(kNodeIdRole).toUInt() : 0;
    change();
    if (network)
        row = std::max(0, rowOfNode(id));
}

int SystemList::placeByName(int row)
{
    QListWidgetItem* item = m_list->item(row);
    int place = 1;
    while (place < m_list->count() && (place == row || sortsBefore(*m_list->item(place), *item)))
        ++place;
    // `place` counts the entry itself when it lies before it.
    if (place > row)
        --place;
    if (place == row)
        return row;
    const bool current = m_list->currentItem() == item;
    const QSignalBlocker quiet(m_list);
    m_list->takeItem(row);
    m_list->insertItem(place, item);
    if (current)
        m_list->setCurrentItem(item);
    return place;
}

void SystemList::setProblems(QListWidgetItem& item, int count)
{
    item.setData(SystemListRole::Problems, count);
    refreshToolTip(item);
}

void SystemList::refreshToolTip(QListWidgetItem& item)
{
    if (!item.data(kNodeIdRole).isValid())
        item.setData(SystemListRole::Summary,
                     QString("This computer\nBoards: %1\nScan: %2").arg(m_localBoards).arg(m_localScan));
    QString tip = item.data(SystemListRole::Summary).toString();
    if (item.data(kNodeIdRole).isValid()) {
        const int sync = item.data(SystemListRole::SyncState).toInt();
        tip += QString("\n%1\n%2")
                   .arg(QString::fromStdString(SystemHealth::syncInText(sync)),
                        QString::fromStdString(SystemHealth::syncOutText(sync)));
    }
    tip += QString("\nProblems: %1").arg(item.data(SystemListRole::Problems).toInt());
    if (item.data(kAddressProblemRole).isValid())
        tip += "\n" + item.data(kAddressProblemRole).toString();
    item.setData(Qt::ToolTipRole, tip);
}

int SystemList::removeNetworkNode(std::uint32_t id)
{
    const int row = rowOfNode(id);
    if (row >= 0)
        delete m_list->takeItem(row);
    return row;
}

void SystemList::setSyncState(std::uint32_t id, int syncState)
{
    for (int row = 1; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        if (item->data(kNodeIdRole).isValid() && item->data(kNodeIdRole).toUInt() == id) {
            item->setData(SystemListRole::SyncState, syncState);
            refreshToolTip(*item);
        }
    }
}

int SystemList::rowOfNode(std::uint32_t id) const
{
    for (int row = 1; row < m_list->count(); ++row) {
        const QVariant stored = m_list->item(row)->data(kNodeIdRole);
        if (stored.isValid() && stored.toUInt() == id)
            return row;
    }
    return -1;
}

void SystemList::removeNetworkNodes()
{
    while (m_list->count() > 1)
        delete m_list->takeItem(m_list->count() - 1);
}

QString SystemList::localSystemName(const RootNode& local)
{
    for (const auto& child : local.children()) {
        if (child->nodeType == NodeType::Enclosure && !child->firstValue().empty())
            return QString::fromStdString(child->firstValue());
    }
    return QStringLiteral("Host PC");
}

QPixmap SystemList::pictureFor(const QString& detail)
{
    return QPixmap(pictureResource(detail));
}

QString SystemList::nodeCaption(const NetworkNodeRecord& node)
{
    if (!node.name.empty())
        return QString::fromStdString(node.name);
    return QString("Remote System %1").arg(node.nodeId);
}

} // namespace z2e
