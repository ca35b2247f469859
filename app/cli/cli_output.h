#pragma once
// Output of zamo2ctl: plain "label: value" lines or one flat JSON object, and the exit status
// a result turns into.

#include "config/output_destination.h"
#include "core/json_text.h"
#include "core/node_result_text.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace z2e {
namespace cli {

enum : int {
    EXIT_OK = 0,
    EXIT_UNKNOWN_CODE = 1,
    /// problems: there are some.
    EXIT_PROBLEMS_FOUND = 1,
    /// doctor: a finding is a warning or a problem.
    EXIT_DOCTOR_FINDINGS = 1,
    /// assets SERIAL: the board was never seen.
    EXIT_UNKNOWN_SERIAL = 1,
    EXIT_LARGE_RESULT = 63,
    EXIT_USAGE = 64,
    /// A board tool ran, and a board did not pass, its change failed, or the read-back of a
    /// change differs or could not be made.
    EXIT_TOOL_FAILED = 65,
    /// Nothing to do where something was asked (--retry-failed without a failed board).
    EXIT_NOTHING_TO_DO = 66,
    /// The network client did not start, or the node of --node did not appear or is unreachable.
    EXIT_NODE_UNAVAILABLE = 69,
    /// Memory ran out during the command (std::bad_alloc): it was stopped.
    EXIT_OUT_OF_MEMORY = 71,
    /// A file or folder the command writes was refused (OutputDestination), or the report
    /// package could not be placed at its destination.
    EXIT_CANNOT_CREATE = 73,
    /// A change was made and verified, but its journal line could not be written; history: the
    /// journal cannot be read.
    EXIT_JOURNAL_FAILED = 74,
    /// --timeout passed before the command finished.
    EXIT_TIMEOUT = 75,
    EXIT_INTERRUPTED = 130,
};

/// 0 for success and warnings, the result itself for 1..62, 63 for anything larger.
int exitStatusOf(std::int32_t result);

/// Whether usage errors also print a JSON error object on standard output. main() sets it
/// from --json before the first usage error can happen; commands only report.
void setJsonUsageErrors(bool json);

/// "zamo2ctl: <message> - see zamo2ctl --help" on standard error, and under --json the object
/// {"error":"usage","message":...,"exitStatus":64} on standard output; EXIT_USAGE.
int usageError(const std::string& message);

/// "zamo2ctl: refused: <the destination's words>" on standard error; EXIT_CANNOT_CREATE.
int refusedDestination(const OutputDestination::Result& result);

/// `rows` as lines of columns as wide as their widest cell (counted in characters, not bytes),
/// two blanks apart, without blanks at a line's end.
std::string alignedColumns(const std::vector<std::vector<std::string>>& rows);

/// A flat record printed either as aligned "label: value" lines or as one JSON object.
class Report {
public:
    void add(const std::string& key, const std::string& text);
    void add(const std::string& key, std::int64_t number);
    void addFlag(const std::string& key, bool flag);
    /// `json` is already a JSON value (an array, an object); the text form shows it as it is.
    void addJson(const std::string& key, const std::string& json);
    /// The whole record, ending with a line break.
    std::string render(bool json) const;

private:
    struct Field {
        std::string key;
        std::string value; ///< already in JSON form when `quoted` is false
        bool quoted;
    };
    std::vector<Field> m_fields;
};

} // namespace cli
} // namespace z2e
