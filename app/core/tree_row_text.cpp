#include "core/tree_row_text.h"

#include "core/json_text.h"
#include "core/node_types.h"
#include "core/system_report.h"

#include <cctype>
#include <sstream>

namespace z2e {
namespace {

const char kValueMark[] = ":   ";

// The JSON number grammar: no leading zeros, no '+', no hex, so serial numbers such as
// "007" stay texts.
bool isJsonNumber(const std::string& text)
{
    std::size_t at = 0;
    const auto digits = [&] {
        const std::size_t from = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        return at - from;
    };
    if (at < text.size() && text[at] == '-')
        ++at;
    const std::size_t whole = at;
    if (digits() == 0 || (text[whole] == '0' && at - whole > 1))
        return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (digits() == 0)
            return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (digits() == 0)
            return false;
    }
    return at == text.size();
}

std::string jsonValue(const std::string& value)
{
    if (value.empty())
        return "null";
    return isJsonNumber(value) ? value : jsonString(value);
}

} // namespace

RowParts TreeRowText::split(const std::string& rowText)
{
    const std::size_t at = rowText.find(kValueMark);
    if (at == std::string::npos)
        return {rowText, {}};
    return {rowText.substr(0, at), rowText.substr(at + sizeof(kValueMark) - 1)};
}

std::string TreeRowText::nameAndValue(const std::string& rowText)
{
    const RowParts parts = split(rowText);
    return parts.value.empty() ? parts.name : parts.name + ": " + parts.value;
}

const char* TreeRowText::kindName(std::uint32_t nodeType)
{
    switch (nodeType) {
    case NodeType::Root: return "system";
    case NodeType::Enclosure: return "enclosure";
    case NodeType::BoardSlot: return "board";
    case NodeType::EmptySlot: return "emptySlot";
    case NodeType::Property: return "property";
    case NodeType::OrphanBoard: return "orphanBoard";
    case NodeType::NodeInfo: return "nodeInfo";
    case NodeType::Temperature: return "temperature";
    case NodeType::SlotState: return "slotState";
    case NodeType::NodeName: return "nodeName";
    case NodeType::CommunicationProblem: return "communicationProblem";
    }
    return "unknown";
}

std::string TreeRowText::indented(const std::vector<TreeRow>& rows)
{
    std::string out;
    if (rows.empty())
        return out;
    const std::size_t top = rows.front().depth;
    for (const TreeRow& line : rows) {
        const std::string indent(2 * (line.depth - top), ' ');
        out += indent;
        for (char c : line.row.text) {
            out += c;
            if (c == '\n')
                out += indent;
        }
        out += '\n';
    }
    return out;
}

std::string TreeRowText::csv(const std::vector<TreeRow>& rows)
{
    std::string out = "depth,kind,red,name,value,text\r\n";
    for (const TreeRow& line : rows) {
        const RowParts parts = split(line.row.text);
        out += std::to_string(line.depth) + ',' + kindName(line.node ? line.node->nodeType : 0) + ',' +
               (line.row.red ? "1" : "0") + ',' + SystemReport::csvField(parts.name) + ',' +
               SystemReport::csvField(parts.value) + ',' + SystemReport::csvField(line.row.text) + "\r\n";
    }
    return out;
}

std::string TreeRowText::jsonTree(const std::vector<TreeRow>& rows)
{
    // Rows come depth first: a row's children follow it until a row at its depth or above.
    std::ostringstream out;
    out << '[';
    std::vector<std::size_t> open;
    bool sibling = false;
    for (const TreeRow& line : rows) {
        while (!open.empty() && open.back() >= line.depth) {
            out << "]}";
            open.pop_back();
            sibling = true;
        }
        if (sibling)
            out << ',';
        const RowParts parts = split(line.row.text);
        out << "{\"text\":" << jsonString(line.row.text) << ",\"name\":" << jsonString(parts.name)
            << ",\"value\":" << jsonValue(parts.value) << ",\"kind\":\""
            << kindName(line.node ? line.node->nodeType : 0) << "\",\"red\":" << (line.row.red ? "true" : "false")
            << ",\"depth\":" << line.depth << ",\"children\":[";
        open.push_back(line.depth);
        sibling = false;
    }
    while (!open.empty()) {
        out << "]}";
        open.pop_back();
    }
    out << ']';
    return out.str();
}

} // namespace z2e
