#pragma once
// What the two cross-grade dialogs share: the rebase of the target's board behind the progress
// window with its outcome told, and the line that names the board.

#include "gui/dialogs/tools/tool_target.h"

#include <QString>

#include <cstdint>
#include <string>

class QWidget;

namespace z2e {

/// Rebases the first board of `target` to the generation `to` (the simple cross-grade when
/// `to` is empty) and shows the outcome titled "Board Cross Grade"; returns the status.
std::int32_t runCrossGrade(const ToolTarget& target, const std::string& to, QWidget* parent);

/// "Board N, base generation ID" of the first board of `target`, whose stored base identifier
/// is `baseId` (empty: unknown).
QString crossGradeBoardText(const ToolTarget& target, const std::string& baseId);

} // namespace z2e
