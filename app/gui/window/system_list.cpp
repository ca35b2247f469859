#include "gui/window/system_list.h"

#include "core/root_node.h"
#include "core/row_composer.h"
#include "gui/models/system_list_roles.h"

#include <QListWidget>

namespace z2e {
namespace {

const char* const kSelected = "selected";
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

} // namespace

SystemList::SystemList(QListWidget* list)
    : m_list(list)
{
}

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
    m_list->setCurrentRow(0);
    markSelected(0);
    m_list->setFocus();
}

void SystemList::markSelected(int row)
{
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setData(SystemListRole::Selection, QString(i == row ? kSelected : kUnselected));
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
    item->setData(SystemListRole::Caption, caption);
    item->setData(SystemListRole::Picture, pictureFor(detail));
    item->setData(SystemListRole::Detail, detail);
    item->setData(SystemListRole::DetailColour, colour);
    item->setData(SystemListRole::ThirdLine, third);
    item->setData(SystemListRole::Selection, QString(kUnselected));
    item->setData(SystemListRole::SyncState, syncState);
    item->setData(kNodeIdRole, node.nodeId);
    return row;
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
        if (item->data(kNodeIdRole).isValid() && item->data(kNodeIdRole).toUInt() == id)
            item->setData(SystemListRole::SyncState, syncState);
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
