#pragma once
// What the board tool commands of zamo2ctl share: how the journal names the node, progress
// on a terminal and status texts on one line.

#include "tools/tool_progress.h"

#include <string>

namespace z2e {
class QorinNodeUtilWrapper;
namespace cli {

/// "local", or the network node's address and name, as the journal names the node.
std::string journalNodeText(QorinNodeUtilWrapper& wrapper);
/// Progress on standard error while it is a terminal; none otherwise, so that redirected
/// output stays the result alone.
ToolProgress terminalProgress();
/// Consent to a change: given by --yes (`yes`), else asked on a terminal under `title`
/// ("OK" or "yes" agrees). Without a terminal the refusal names `command` and its question.
bool confirmed(bool yes, const std::string& command, const std::string& title, const std::string& question);
/// `text` with line breaks turned into blanks (and carriage returns dropped).
std::string withoutLineBreaks(const std::string& text);

} // namespace cli
} // namespace z2e
