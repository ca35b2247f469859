#include "tools/fleet_table.h"

#include "core/json_text.h"
#include "core/system_report.h"
#include "tools/firmware_updater.h"
#include "tools/system_inventory.h"
#include "tools/test_verdict.h"

#include <sstream>

namespace z2e {
namespace {

std::string joined(const std::vector<std::string>& texts)
{
    std::string text;
    for (const std::string& part : texts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

bool looksNumeric(const std::string& text)
{
    return text.size() > 1 && text.find_first_not_of("-+.0123456789") == std::string::npos;
}

// A node's name or a board's text must not run as a formula in the spreadsheet it is opened in.
std::string csvText(const std::string& text)
{
    const bool formula = !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos;
    return SystemReport::csvField(formula && !looksNumeric(text) ? "'" + text : text);
}

} // namespace

const char* FleetTable::title(Column column)
{
    static const char* const kTitles[ColumnCount] = {
        "System", "Address",     "Place",     "Model",  "Serial",       "Firmware",          "Latest",  "Calibrated",
        "Due",    "Calibration", "Self test", "Tested", "Base \u00b0C", "Connector \u00b0C", "Warnings"};
    return column >= 0 && column < ColumnCount ? kTitles[column] : "";
}

FleetTable::Options FleetTable::resolved(const Options& options)
{
    Options out = options;
    if (out.today.empty())
        out.today = CalibrationDue::today();
    return out;
}

CalibrationDue::State FleetTable::calibration(const FleetBoard& board, const Options& options)
{
    const Options used = resolved(options);
    return CalibrationDue::state(CalibrationDue::dueDate(board.calibrationDate, used.intervalMonths), used.today);
}

bool FleetTable::dueWithin(const FleetBoard& board, long days, const Options& options)
{
    const Options used = resolved(options);
    long left = 0;
    return CalibrationDue::daysUntil(used.today, CalibrationDue::dueDate(board.calibrationDate, used.intervalMonths),
                                     left) &&
           left <= days;
}

int FleetTable::firmwareAge(const FleetBoard& board)
{
    switch (FirmwareUpdater::planOf(board.firmware, board.firmwareLatest, true)) {
    case FirmwarePlan::Update: return -1;
    case FirmwarePlan::KeepNewer: return 1;
    default: return 0;
    }
}

std::string FleetTable::cell(const FleetBoard& board, Column column, const Options& options)
{
    switch (column) {
    case System: return board.system;
    case Address: return board.address;
    case Place: return board.place();
    case Model: return board.model;
    case Serial: return board.serial;
    case Firmware: return board.firmware;
    case Latest: return board.firmwareLatest;
    case Calibrated: return board.calibrationDate;
    case Due: return CalibrationDue::dueDate(board.calibrationDate, resolved(options).intervalMonths);
    case CalibrationState: return CalibrationDue::word(calibration(board, options));
    case SelfTest: return board.selfTest.time.empty() ? std::string() : TestVerdict::word(board.selfTest.status);
    case Tested: return board.selfTest.time.substr(0, 10);
    case BaseTemperature: return board.baseTemperature;
    case ConTemperature: return board.conTemperature;
    case Warnings: return joined(board.warnings);
    case ColumnCount: break;
    }
    return {};
}

std::string FleetTable::toCsv(const std::vector<FleetBoard>& boards, const Options& options)
{
    const Options used = resolved(options);
    std::string csv;
    for (int c = 0; c < ColumnCount; ++c)
        csv += std::string(c ? "," : "") + SystemReport::csvField(title(Column(c)));
    csv += "\r\n";
    for (const FleetBoard& board : boards) {
        for (int c = 0; c < ColumnCount; ++c)
            csv += std::string(c ? "," : "") + csvText(cell(board, Column(c), used));
        csv += "\r\n";
    }
    return csv;
}

std::string FleetTable::toJson(const std::vector<FleetBoard>& boards, const Options& options)
{
    const Options used = resolved(options);
    std::ostringstream out;
    out << "{\"today\":" << jsonString(used.today) << ",\"intervalMonths\":" << used.intervalMonths << ",\"boards\":[";
    for (std::size_t i = 0; i < boards.size(); ++i) {
        const FleetBoard& board = boards[i];
        out << (i ? ",\n" : "\n") << "{\"system\":" << jsonString(board.system)
            << ",\"address\":" << jsonString(board.address) << ",\"index\":" << board.index
            << ",\"enclosure\":" << board.enclosure << ",\"slot\":" << board.slot
            << ",\"model\":" << jsonString(board.model) << ",\"serial\":" << jsonString(board.serial)
            << ",\"firmware\":" << jsonString(board.firmware)
            << ",\"firmwareLatest\":" << jsonString(board.firmwareLatest)
            << ",\"calibrated\":" << jsonString(board.calibrationDate)
            << ",\"due\":" << jsonString(cell(board, Due, used))
            << ",\"calibration\":" << jsonString(CalibrationDue::word(calibration(board, used)))
            << ",\"selfTest\":" << jsonString(cell(board, SelfTest, used))
            << ",\"tested\":" << jsonString(board.selfTest.time)
            << ",\"baseTemperature\":" << jsonString(board.baseTemperature)
            << ",\"conTemperature\":" << jsonString(board.conTemperature) << ",\"warnings\":[";
        for (std::size_t w = 0; w < board.warnings.size(); ++w)
            out << (w ? "," : "") << jsonString(board.warnings[w]);
        out << "]}";
    }
    out << "]}\n";
    return out.str();
}

std::string FleetTable::toHtml(const std::vector<FleetBoard>& boards, const Options& options)
{
    const Options used = resolved(options);
    std::ostringstream out;
    out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>ZAMO2Explorer fleet</title><style>"
        << SystemInventory::htmlStyle() << "tr.overdue td{background:#f6c6c6}tr.soon td{background:#fbe3b0}"
        << "</style></head><body>\n<h1>ZAMO2Explorer fleet</h1>\n<p>"
        << SystemInventory::htmlEscape(std::to_string(boards.size()) + " boards on " + used.today +
                                       "; calibration interval " + std::to_string(used.intervalMonths) + " months")
        << "</p>\n<table><tr>";
    for (int c = 0; c < ColumnCount; ++c)
        out << "<th>" << SystemInventory::htmlEscape(title(Column(c))) << "</th>";
    out << "</tr>\n";
    for (const FleetBoard& board : boards) {
        const CalibrationDue::State state = calibration(board, used);
        out << (state == CalibrationDue::State::Overdue   ? "<tr class=\"overdue\">"
                : state == CalibrationDue::State::DueSoon ? "<tr class=\"soon\">"
                                                          : "<tr>");
        for (int c = 0; c < ColumnCount; ++c)
            out << "<td>" << SystemInventory::htmlEscape(cell(board, Column(c), used)) << "</td>";
        out << "</tr>\n";
    }
    out << "</table>\n</body></html>\n";
    return out.str();
}

} // namespace z2e
