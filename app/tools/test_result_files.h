#pragma once
// Saving the result documents of a board test: one board's document as it came from the
// driver, or all of them collected below one "Results" element. A file is replaced whole or
// not at all.

#include "tools/board_test_procedure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class TestResultFiles {
public:
    /// The name proposed for one row's document in `folder`: "hw_tests_" before any procedure
    /// (`testName` empty or not one of the procedures' names), else the test name and "_";
    /// then board name, "_", serial number and ".xml".
    static std::string proposedName(const std::string& folder, const std::string& testName, const BoardTestRow& row);
    /// Writes the row's document unchanged as `path` (an OutputDestination: an existing
    /// regular file is replaced only with `replace`); 0, 1002 (DestinationRefused) when what
    /// stands there is not replaced, or 1001 when it cannot be written, with `error`, when
    /// given, saying why.
    static std::int32_t saveSingle(const std::string& path, const BoardTestRow& row, std::string* error = nullptr,
                                   bool replace = false);
    /// Writes every row's document below a "Results" root, tab-indented, in row order;
    /// 0, 9 when no row has a document (nothing written), else as saveSingle.
    static std::int32_t saveAll(const std::string& path, const std::vector<BoardTestRow>& rows,
                                std::string* error = nullptr, bool replace = false);
};

} // namespace z2e
