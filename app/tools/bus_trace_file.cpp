#include "tools/bus_trace_file.h"

#include "config/output_destination.h"
#include "tools/bus_frame_text.h"
#include "uni/number_text.h"

#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace z2e {
namespace {

constexpr std::size_t kFields = 8;

struct FlagLetter {
    std::uint8_t flag;
    char letter;
};
constexpr FlagLetter kFlagLetters[] = {
    {BusRecord::kExtended, 'X'}, {BusRecord::kRemote, 'R'}, {BusRecord::kErrorFrame, 'E'}};

/// A cell a spreadsheet would take for a formula gets a leading quote; the cell is quoted so
/// that commas and quotes in UART text stay in it.
std::string textCell(const std::string& text)
{
    std::string cell = "\"";
    if (!text.empty() && std::string("=+-@\t\r").find(text.front()) != std::string::npos)
        cell += '\'';
    for (const char c : text)
        cell += c == '"' ? std::string("\"\"") : std::string(1, c);
    return cell + "\"";
}

/// The first kFields - 1 cells; the text cell after them is only for people and is not read.
std::vector<std::string> leadingCells(const std::string& line)
{
    std::vector<std::string> cells;
    std::size_t begin = 0;
    while (cells.size() < kFields - 1) {
        const std::size_t comma = line.find(',', begin);
        if (comma == std::string::npos)
            break;
        cells.push_back(line.substr(begin, comma - begin));
        begin = comma + 1;
    }
    return cells;
}

bool parseFlags(const std::string& text, std::uint8_t& flags)
{
    flags = 0;
    for (const char c : text) {
        bool known = false;
        for (const FlagLetter& f : kFlagLetters) {
            if (c == f.letter) {
                flags |= f.flag;
                known = true;
            }
        }
        if (!known)
            return false;
    }
    return true;
}

} // namespace

std::string BusTraceFile::line(BusKind kind, const BusRecord& record)
{
    std::string flags;
    for (const FlagLetter& f : kFlagLetters) {
        if (record.flags & f.flag)
            flags += f.letter;
    }
    std::ostringstream out;
    out << (kind == BusKind::Can ? "CAN" : "UART") << ',' << record.timestampUs << ',' << record.channel << ',';
    if (kind == BusKind::Can)
        out << std::hex << std::uppercase << record.id << std::dec;
    out << ',' << flags << ',' << record.data.size() << ',' << BusFrameText::hex(record.data) << ','
        << textCell(BusFrameText::printable(record.data));
    return out.str();
}

bool BusTraceFile::parseLine(const std::string& line, BusKind& kind, BusRecord& record, std::string& error)
{
    const std::vector<std::string> cells = leadingCells(line);
    if (cells.size() != kFields - 1) {
        error = "has " + std::to_string(cells.size() + 1) + " cells, not " + std::to_string(kFields);
        return false;
    }
    if (cells[0] != "CAN" && cells[0] != "UART") {
        error = "names the bus \"" + cells[0] + "\", neither CAN nor UART";
        return false;
    }
    kind = cells[0] == "CAN" ? BusKind::Can : BusKind::Uart;
    BusRecord parsed;
    std::int32_t channel = -1;
    std::uint32_t length = 0;
    const bool canId = kind == BusKind::Can
                           ? uni::text::parseHex32(cells[3], parsed.id) && parsed.id <= BusFrameText::kMaxExtendedId
                           : cells[3].empty();
    if (!uni::text::parseUnsignedDecimal(cells[1], parsed.timestampUs) ||
        !uni::text::parseSignedDecimal(cells[2], channel) || channel < 0 || channel >= kBusChannels || !canId ||
        !parseFlags(cells[4], parsed.flags) || !uni::text::parseUnsignedDecimal(cells[5], length)) {
        error = "has a time, channel, id, flags or length that is not one";
        return false;
    }
    const std::size_t most = kind == BusKind::Can ? BusFrameText::kMaxCanData : kMaxLineBytes;
    std::vector<std::uint8_t> data;
    if (!BusFrameText::parseData(cells[6], most, data, error))
        return false;
    if (data.size() != length) {
        error = "says " + std::to_string(length) + " bytes but holds " + std::to_string(data.size());
        return false;
    }
    parsed.data = data;
    parsed.channel = channel;
    record = std::move(parsed);
    return true;
}

bool BusTraceFile::write(const std::string& path, BusKind kind, const std::deque<BusRecord>& records, bool replace,
                         std::string& error, bool* refused)
{
    std::string content = std::string(kHeader) + "\n";
    for (const BusRecord& record : records)
        content += line(kind, record) + "\n";
    WriteOptions options;
    options.replace = replace;
    const OutputDestination::Result written = OutputDestination::write(path, content, options);
    if (refused)
        *refused = written.refused();
    error = written.message;
    return written.ok();
}

bool BusTraceFile::read(const std::string& path, BusKind& kind, std::vector<BusRecord>& records, std::string& error)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + " is not a file; choose a trace file saved by the bus test";
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxFileBytes) {
        error =
            path + " is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB; it is no trace of this program";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (!in || !std::getline(in, text) || text != kHeader) {
        error = path + " does not begin with the trace's header line; it is no trace of this program";
        return false;
    }
    std::vector<BusRecord> read;
    BusKind first = BusKind::Can;
    for (std::size_t number = 2; std::getline(in, text); ++number) {
        BusKind lineKind = BusKind::Can;
        BusRecord record;
        std::string why;
        if (text.size() > kMaxLineBytes || !parseLine(text, lineKind, record, why)) {
            error = path + ": line " + std::to_string(number) +
                    (why.empty() ? " is longer than " + std::to_string(kMaxLineBytes) + " bytes" : " " + why);
            return false;
        }
        if (read.empty())
            first = lineKind;
        if (lineKind != first) {
            error = path + ": line " + std::to_string(number) + " mixes CAN and UART frames in one trace";
            return false;
        }
        read.push_back(std::move(record));
    }
    kind = first;
    records = std::move(read);
    return true;
}

} // namespace z2e
