#pragma once
// What the board tool commands of zamo2ctl share: progress on a terminal and the operator's
// consent to a change.

#include "tools/tool_progress.h"

#include <cstdint>
#include <string>

namespace z2e {
class QorinNodeUtilWrapper;
namespace cli {

struct CliOptions;

/// What a change of a board or an enclosure did, as zamo2ctl reports it.
struct ChangeReport {
    std::string place;          ///< "board 0 (serial 10A80001)"
    bool answered = false;      ///< the driver answered that the change was done
    bool journalFailed = false; ///< the journal line after it could not be written
    std::int32_t status = 0;
    std::string text;         ///< the success text, or the failure's
    std::string message;      ///< why it failed, when it did
    std::string verification; ///< the read-back's verdict; "verified" alone is success
    int failureExit = 65;     ///< the exit status of a change that failed
    std::string extraJson;    ///< further ",\"key\":value" pairs of the JSON object
};

/// "0/2  QA-4008.BNC 10A80001": which board a message after a change is about, as the tree
/// and the board's label name it.
std::string boardPlace(QorinNodeUtilWrapper& wrapper, std::uint32_t board);

/// Prints a change's outcome and gives the exit status: 0 only when the read-back verified
/// it (the success text is printed then and only then); 74 when it was verified but its
/// journal line could not be written; 65 when the read-back differs or could not be made;
/// else `failureExit`.
int reportChange(const CliOptions& options, const ChangeReport& change);

/// Progress on standard error while it is a terminal; none otherwise, so that redirected
/// output stays the result alone.
ToolProgress terminalProgress();
/// Consent to a change: given by --yes (`yes`), else asked on a terminal under `title`
/// ("OK" or "yes" agrees). Without a terminal the refusal names `command` and its question.
bool confirmed(bool yes, const std::string& command, const std::string& title, const std::string& question);

} // namespace cli
} // namespace z2e
