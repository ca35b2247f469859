#pragma once
// The system report: the board overview table of a system root, reduced to the columns the
// operator reads. The overview dialog shows those columns; the saved report (CSV) and the
// command line put each board's enclosure and slot in front of them, so that a line of the
// file leads to the board in the tree.

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

    /// Cells of overview row `row` of `root` as saved: "Enclosure" and "Slot" (the number of
    /// the board's enclosure and the slot number the tree shows; empty for a board outside every
    /// enclosure), then the columns(extended). Row 0 gives the titles.
    static std::vector<std::string> savedRow(const RootNode& root, std::size_t row, bool extended);

    /// The saved report as CSV (comma separated, "\r\n" line ends, quoted where needed): the
    /// title row first, one line per board. Empty for an empty table.
    static std::string toCsv(const RootNode& root, bool extended);

    /// Writes toCsv() to `path` through a temporary file renamed over it, so a failed write
    /// leaves an existing file as it was. An OutputDestination: an existing regular file is
    /// replaced only with `replace` (the window passes it after its save dialog asked); a
    /// device, FIFO, folder, link or the program's own data never. False with `error` set.
    static bool save(const std::string& path, const RootNode& root, bool extended, std::string& error,
                     bool replace = false);

    /// One CSV field, quoted when it holds a comma, a quote or a line break.
    static std::string csvField(const std::string& text);
};

} // namespace z2e
