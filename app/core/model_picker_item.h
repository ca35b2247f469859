#pragma once
// A board or enclosure type that can be added to the demo system.

#include <cstdint>
#include <string>

namespace z2e {

struct PickerKind {
    enum : std::uint32_t { Board = 1, Enclosure = 2 };
};

class ModelPickerItem {
public:
    ModelPickerItem(std::uint32_t kind, std::string name, std::string description);
    virtual ~ModelPickerItem();

    std::uint32_t kind;
    std::string name;
    std::string description;
};

} // namespace z2e
