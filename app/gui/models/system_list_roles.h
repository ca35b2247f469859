#pragma once
// Data roles of an entry in the list of systems (the local system and each network node).
// The main window fills them; NodeListDelegate paints from them.

#include <Qt>

namespace z2e {

struct SystemListRole {
    enum : int {
        Caption = Qt::DisplayRole,       ///< "Local System" or the node's name
        Picture = Qt::DecorationRole,    ///< enclosure picture (QIcon or QPixmap)
        Detail = Qt::UserRole + 1,       ///< system name or node description; "QORINet" marks a node
        ThirdLine = Qt::UserRole + 2,    ///< e.g. the node's address
        Selection = Qt::UserRole + 3,    ///< "selected" or "unselected"
        SyncState = Qt::UserRole + 4,    ///< synchronisation state of a node (integer)
        DetailColour = Qt::UserRole + 5, ///< Qt::GlobalColor number of the detail line
        Problems = Qt::UserRole + 6,     ///< problems of the system (integer, SystemHealth); a badge when above 0
        Summary = Qt::UserRole + 7       ///< first lines of the entry's tool tip (address, boards, scan)
    };
};

} // namespace z2e
