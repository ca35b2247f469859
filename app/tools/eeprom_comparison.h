#pragma once
// What a read-back found: the EEPROM document a board reports compared with the one written.

#include <string>

namespace z2e {

class EepromComparison {
public:
    /// "verified" when both documents hold the same elements, attributes and texts (layout
    /// aside), else the first difference in document order, e.g.
    /// "BoardInfo/SerialNumber: wrote 10A80001, board reports 00000000".
    static std::string verdict(const std::string& written, const std::string& reported);
};

} // namespace z2e
