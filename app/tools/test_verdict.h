#pragma once
// The verdict of a self-test or calibration result document: the board's status text and the
// detail rows listed below it.

#include <string>
#include <vector>

namespace z2e {

class TestVerdict {
public:
    /// Status text of a "Passed" value, compared ignoring case; unknown values are
    /// " NOT APPLICABLE".
    static std::string statusOf(const std::string& passed);

    /// Reads `document`: `status` is the verdict of its board element (left empty when it has
    /// none) or " UNKNOWN" when the document does not parse; `details` gets one row per check
    /// and one per measured item. False when the document does not parse.
    static bool read(const std::string& document, std::string& status, std::vector<std::string>& details);

    /// A status as a script or a report wants it: without the blanks the window's rows put
    /// before it (" FAILED!!" is "FAILED!!").
    static std::string word(const std::string& status);
};

} // namespace z2e
