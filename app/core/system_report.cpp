#include "core/system_report.h"

#include "config/output_destination.h"

namespace z2e {

const std::vector<std::size_t>& SystemReport::columns(bool extended)
{
    static const std::vector<std::size_t> all{0, 5, 4, 6, 7, 8, 10, 11, 9, 15, 14, 16, 17, 18, 20, 21, 19};
    static const std::vector<std::size_t> brief{0, 6, 7, 16};
    return extended ? all : brief;
}

std::string SystemReport::csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::vector<std::string> SystemReport::savedRow(const RootNode& root, std::size_t row, bool extended)
{
    std::vector<std::string> cells;
    if (row >= root.boardOverview.size())
        return cells;
    if (row == 0) {
        cells = {"Enclosure", "Slot"};
    } else {
        const RootNode::BoardPlace place = root.placeOfRow(row);
        const auto number = [](std::int32_t value) { return value < 0 ? std::string() : std::to_string(value); };
        cells = {number(place.enclosure), number(place.slot)};
    }
    for (const std::size_t column : columns(extended))
        cells.push_back(root.boardOverview[row][column]);
    return cells;
}

std::string SystemReport::toCsv(const RootNode& root, bool extended)
{
    std::string csv;
    for (std::size_t row = 0; row < root.boardOverview.size(); ++row) {
        bool first = true;
        for (const std::string& cell : savedRow(root, row, extended)) {
            if (!first)
                csv += ',';
            csv += csvField(cell);
            first = false;
        }
        csv += "\r\n";
    }
    return csv;
}

bool SystemReport::save(const std::string& path, const RootNode& root, bool extended, std::string& error, bool replace)
{
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    const OutputDestination::Result written = OutputDestination::write(path, toCsv(root, extended), {replace, true});
    error = written.message;
    return written.ok();
}

} // namespace z2e
