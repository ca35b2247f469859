#include "core/board_list_item.h"

#include <utility>

namespace z2e {

BoardListItem::BoardListItem(std::string name_, std::string description_)
    : ModelPickerItem(PickerKind::Board, std::move(name_), std::move(description_))
{
}

BoardListItem::~BoardListItem() = default;

} // namespace z2e
