#pragma once
// The channel module of a board of the demo system: chosen from the modules the board
// accepts, changed in the node model only (nothing is sent to the driver) and written into
// the driver configuration when the demo system is saved.

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class DemoSystemEditor;
class ModelNode;
class SlotNode;
class SystemModel;

class ChannelModuleChoice {
public:
    /// The modules the board accepts ("ChannelModuleList"), in order; empty for a board
    /// without plug-in modules.
    static std::vector<std::string> offered(const SlotNode& slot);
    /// The module of the board's first channel that names one; empty when none does.
    static std::string current(const SlotNode& slot);
    /// The "ChannelModule" rows of the board's channels.
    static std::vector<ModelNode*> moduleRows(const SlotNode& slot);

    /// Makes `module` the module of every channel of the board in `slot`. When that changes
    /// a channel, the demo system and the system model are marked changed so that saving
    /// writes it. NotEditable for a slot outside the demo system or without modules,
    /// NoSuchElement for a module the board does not accept; nothing changed then.
    static std::int32_t apply(SystemModel& system, DemoSystemEditor& editor, SlotNode& slot, const std::string& module,
                              std::string& message);
};

} // namespace z2e
