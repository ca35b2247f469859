#pragma once
// The model list of the demo editor: the enclosure types or the board models the driver
// offers, whichever fits the selected node. The driver's listings are the only source; the
// program keeps no table of models of its own.

#include "core/model_picker_item.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace z2e {

class QorinNodeUtilWrapper;

class ModelPicker {
public:
    using ItemList = std::vector<std::unique_ptr<ModelPickerItem>>;

    /// Most entries taken from one listing; the rest are ignored.
    static constexpr std::size_t kMaxItems = 4096;

    /// The list a selected node calls for: PickerKind::Enclosure for a system root or an
    /// enclosure, PickerKind::Board for a slot (empty or holding a board), 0 for anything else.
    static std::uint32_t listKindFor(std::uint32_t nodeType);

    /// Replaces the list by the one `nodeType` calls for, read from the driver. 0, or the
    /// listing's failure (102 board models, 103 enclosure types, 5000 driver not ready, 1000 an
    /// answer that is no listing); the list is then empty. A type without a list empties it
    /// and returns 0. Asks the driver: run it where a driver call may take its time.
    std::int32_t fill(QorinNodeUtilWrapper& wrapper, std::uint32_t nodeType);

    /// Loads a list of the given kind from the driver without touching this picker.
    static std::int32_t load(QorinNodeUtilWrapper& wrapper, std::uint32_t kind, ItemList& items);
    /// Lists by kind.
    using Listings = std::map<std::uint32_t, ItemList>;
    /// The enclosure and board lists the driver gives; a list it fails to give is left out.
    static Listings loadListings(QorinNodeUtilWrapper& wrapper);

    /// Entries of a "BoardListing/Key2Name" answer: one BoardListItem per Model with a Name and
    /// a KEY (name = Name, description = the KEY printed raw, family = Family). False for a
    /// text that is no such document; entries without Name or KEY are skipped.
    static bool parseBoardListing(const std::string& document, ItemList& items);
    /// Entries of an "EnclosureListing/Key2Name" answer: one EnclosureListItem per Model with a
    /// Name and a KEY (encName = the KEY's EncName, slotCount = Slots).
    static bool parseEnclosureListing(const std::string& document, ItemList& items);

    /// PickerKind::Board, PickerKind::Enclosure, or 0 while the list is empty by design.
    std::uint32_t kind() const { return m_kind; }
    std::size_t size() const { return m_items.size(); }
    const ItemList& items() const { return m_items; }
    /// Entry at `position`, or null.
    const ModelPickerItem* at(std::size_t position) const;
    /// First entry whose name equals `name` ignoring case, or null.
    const ModelPickerItem* find(const std::string& name) const;
    /// Positions of the entries whose name or family contains `filter` ignoring case; every
    /// position for an empty filter.
    std::vector<std::size_t> matching(const std::string& filter) const;
    void clear();

private:
    std::uint32_t m_kind = 0;
    ItemList m_items;
};

} // namespace z2e
