#include "gui/models/tree_icon_table.h"

#include "core/row_composer.h"
#include "gui/gui_resources.h"
#include "gui/lazy_icon_engine.h"

#include <QString>

namespace z2e {

static_assert(TreeIcon::TableSize == 30, "icon places of the row composition and the table differ");

TreeIconTable::TreeIconTable()
{
    initGuiResources();
    for (int place = 0; place < kPlaces; ++place) {
        const std::string path = RowComposer::iconResourcePath(place);
        if (path.empty())
            continue;
        // Read when a row first shows it: most places never appear in a given tree.
        m_icons[place] = LazyIconEngine::fromFile(QString::fromStdString(path));
        if (!m_icons[place].isNull())
            m_variants[place] = QVariant(m_icons[place]);
    }
}

const QIcon* TreeIconTable::icon(int place) const
{
    if (place < 0 || place >= kPlaces || m_icons[place].isNull())
        return nullptr;
    return &m_icons[place];
}

const QVariant& TreeIconTable::iconVariant(int place) const
{
    static const QVariant none;
    return place < 0 || place >= kPlaces ? none : m_variants[place];
}

int TreeIconTable::loadedCount() const
{
    int count = 0;
    for (const QIcon& icon : m_icons)
        count += icon.isNull() ? 0 : 1;
    return count;
}

} // namespace z2e
