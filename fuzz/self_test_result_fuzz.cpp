// A board's self-test or calibration result document on arbitrary bytes: the verdict shown in
// the result list and the detail rows below it.

#include "tools/test_verdict.h"

#include "require.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

using fuzz::require;

const std::set<std::string> kStatuses = {"",
                                         " PASSED",
                                         " FAILED!!",
                                         " NOT PERFORMED",
                                         " CALIBRATION ERROR",
                                         " CONFIG ERROR",
                                         " HARDWARE FAILURE",
                                         " NOT APPLICABLE"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string document(reinterpret_cast<const char*>(data), size);
    std::string status = "stale";
    std::vector<std::string> details{"stale"};
    if (!z2e::TestVerdict::read(document, status, details)) {
        require(status == " UNKNOWN" && details.empty());
        return 0;
    }
    require(kStatuses.count(status) == 1);
    // A row per check or measured item, each an element of at least "<ID/>"; checks are
    // indented by two blanks, items by four.
    require(details.size() <= size / 5);
    for (const std::string& row : details)
        require(row.rfind("  ", 0) == 0);
    return 0;
}
