#include "core/model_picker_item.h"

#include <utility>

namespace z2e {

ModelPickerItem::ModelPickerItem(std::uint32_t kind_, std::string name_, std::string description_)
    : kind(kind_), name(std::move(name_)), description(std::move(description_))
{
}

ModelPickerItem::~ModelPickerItem() = default;

} // namespace z2e
