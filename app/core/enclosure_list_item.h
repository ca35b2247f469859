#pragma once
// An enclosure type offered by the demo editor.

#include "core/model_picker_item.h"

#include <string>

namespace z2e {

class EnclosureListItem : public ModelPickerItem {
public:
    /// `name` is the model name, `description` the enclosure key document.
    EnclosureListItem(std::string name, std::string description);
    ~EnclosureListItem() override;

    std::string encName;     ///< "EncName" code text of the model
    std::string slotCount;   ///< slots the model offers, decimal
    std::string displayName; ///< name shown in the picker list
};

} // namespace z2e
