#pragma once
// The icons of the tree rows, shared by every tree view model. Places and pictures are those
// the row composition hands out, so a row's icon number means the same everywhere.

#include <QIcon>

#include <array>

namespace z2e {

class TreeIconTable {
public:
    /// Loads every used place from the compiled-in pictures.
    TreeIconTable();

    /// The icon at `place`, or null for a place out of range, unused or without a picture.
    const QIcon* icon(int place) const;
    /// Number of places that hold a picture.
    int loadedCount() const;
    /// Number of places in the table.
    static constexpr int size() { return kPlaces; }

private:
    static constexpr int kPlaces = 30;
    std::array<QIcon, kPlaces> m_icons;
};

} // namespace z2e
