#include "core/enclosure_list_item.h"

#include <utility>

namespace z2e {

EnclosureListItem::EnclosureListItem(std::string name_, std::string description_)
    : ModelPickerItem(PickerKind::Enclosure, std::move(name_), std::move(description_))
{
}

EnclosureListItem::~EnclosureListItem() = default;

} // namespace z2e
