#include "core/system_report.h"

#include "config/atomic_file_writer.h"

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

std::string SystemReport::toCsv(const Table& table, bool extended)
{
    std::string csv;
    for (const RootNode::OverviewRow& row : table) {
        bool first = true;
        for (const std::size_t column : columns(extended)) {
            if (!first)
                csv += ',';
            csv += csvField(row[column]);
            first = false;
        }
        csv += "\r\n";
    }
    return csv;
}

bool SystemReport::save(const std::string& path, const Table& table, bool extended, std::string& error)
{
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    return AtomicFileWriter::write(path, toCsv(table, extended), &error);
}

} // namespace z2e
