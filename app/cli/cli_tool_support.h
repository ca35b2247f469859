#pragma once
// What the board tool commands of zamo2ctl share: progress on a terminal and the operator's
// consent to a change.

#include "tools/tool_progress.h"

#include <string>

namespace z2e {
class QorinNodeUtilWrapper;
namespace cli {

/// Progress on standard error while it is a terminal; none otherwise, so that redirected
/// output stays the result alone.
ToolProgress terminalProgress();
/// Consent to a change: given by --yes (`yes`), else asked on a terminal under `title`
/// ("OK" or "yes" agrees). Without a terminal the refusal names `command` and its question.
bool confirmed(bool yes, const std::string& command, const std::string& title, const std::string& question);

} // namespace cli
} // namespace z2e
