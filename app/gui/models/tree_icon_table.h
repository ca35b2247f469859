#pragma once
// The icons of the tree rows, shared by every tree view model. Places and pictures are those
// the row composition hands out, so a row's icon number means the same everywhere.

#include <QIcon>
#include <QVariant>

#include <array>

namespace z2e {

class TreeIconTable {
public:
    /// Loads every used place from the compiled-in pictures.
    TreeIconTable();

    /// The icon at `place`, or null for a place out of range, unused or without a picture.
    const QIcon* icon(int place) const;
    /// The same as a QVariant made once, as a model's data() hands it out; invalid for none.
    const QVariant& iconVariant(int place) const;
    /// Number of places that hold a picture.
    int loadedCount() const;
    /// Number of places in the table.
    static constexpr int size() { return kPlaces; }

private:
    static constexpr int kPlaces = 30;
    std::array<QIcon, kPlaces> m_icons;
    std::array<QVariant, kPlaces> m_variants;
};

} // namespace z2e
