#pragma once
// The system report: the board overview table of a system root, reduced to the columns the
// operator reads, shown in the overview dialog or written as CSV.

#include "core/root_node.h"

#include <cstddef>
#include <string>
#include <vector>

namespace z2e {

class SystemReport {
public:
    using Table = std::vector<RootNode::OverviewRow>;

    /// Positions in an overview row shown by the report: 17 with the extended features, else 4.
    static const std::vector<std::size_t>& columns(bool extended);

    /// The table as CSV (comma separated, "\r\n" line ends, quoted where needed): the title row
    /// first, one line per board. Empty for an empty table.
    static std::string toCsv(const Table& table, bool extended);

    /// Writes toCsv() to `path` through a temporary file renamed over it, so a failed write
    /// leaves an existing file as it was. False with `error` set on failure.
    static bool save(const std::string& path, const Table& table, bool extended, std::string& error);

    /// One CSV field, quoted when it holds a comma, a quote or a line break.
    static std::string csvField(const std::string& text);
};

} // namespace z2e
