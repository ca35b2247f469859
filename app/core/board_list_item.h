#pragma once
// A board type offered by the demo editor.

#include "core/model_picker_item.h"

#include <string>

namespace z2e {

class BoardListItem : public ModelPickerItem {
public:
    /// `name` is the model name, `description` the model key document.
    BoardListItem(std::string name, std::string description);
    ~BoardListItem() override;

    std::string family;      ///< family name of the model
    std::string displayName; ///< name shown in the picker list
    std::string filterText;  ///< text the picker filter matches against
};

} // namespace z2e
