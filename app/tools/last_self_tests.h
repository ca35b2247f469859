#pragma once
// The last self test (or calibration) of each board in the maintenance journal, by serial number.

#include <cstdint>
#include <map>
#include <string>

namespace z2e {

struct SelfTestRecord {
    std::string time; ///< UTC, ISO 8601, as the journal wrote it
    std::string operation;
    std::string status; ///< the journal's status text ("Passed", "Failed", ...)
    std::int32_t result = 0;
};

class LastSelfTests {
public:
    LastSelfTests() = default;
    /// Reads the history of the journal in `maintenanceFolder`; none when it is missing.
    static LastSelfTests ofJournal(const std::string& maintenanceFolder);
    /// Takes the next history line (oldest first): the last line of a serial wins.
    void add(const std::string& line);

    /// False when the journal holds no self test of `serial` (serials match in any case).
    bool find(const std::string& serial, SelfTestRecord& record) const;

private:
    std::map<std::string, std::string> m_last; ///< history line by upper-case serial
};

} // namespace z2e
