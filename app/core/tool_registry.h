#pragma once
// The list of the maintenance tools: each described once (tool_description.h), in the order
// zamo2ctl's help lists them.

#include "core/tool_description.h"

#include <string>
#include <vector>

namespace z2e {

class ToolRegistry {
public:
    static const std::vector<ToolDescription>& tools();
    /// The tool of zamo2ctl command `verb`; null for a command that is no tool.
    static const ToolDescription* find(const std::string& verb);
    /// The window entries offered on rows of kind `row` (a ToolRow bit), in menu order.
    static std::vector<ToolWindowEntry> windowEntries(unsigned row);
    /// Every window entry that can stand on the tool bar.
    static std::vector<MenuEntry> toolBarEntries();
};

} // namespace z2e
