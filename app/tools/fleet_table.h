#pragma once
// The fleet as a table: its columns and cell texts, the calibration state of each board, and
// the table written as CSV, JSON and a printable HTML page. The window's Fleet tab and
// `zamo2ctl fleet` show the same columns.

#include "tools/calibration_due.h"
#include "tools/fleet_board.h"

#include <string>
#include <vector>

namespace z2e {

class FleetTable {
public:
    enum Column {
        System,
        Address,
        Place,
        Model,
        Serial,
        Firmware,
        Latest,
        Calibrated,
        Due,
        CalibrationState,
        SelfTest,
        Tested,
        BaseTemperature,
        ConTemperature,
        Warnings,
        ColumnCount
    };

    struct Options {
        int intervalMonths = CalibrationDue::kDefaultIntervalMonths;
        std::string today; ///< "YYYY-MM-DD"; empty: today in UTC
    };

    /// The column titles.
    static const char* title(Column column);
    /// The text of a cell; warnings joined by "; ".
    static std::string cell(const FleetBoard& board, Column column, const Options& options);
    static CalibrationDue::State calibration(const FleetBoard& board, const Options& options);
    /// Overdue, or due within `days` from today.
    static bool dueWithin(const FleetBoard& board, long days, const Options& options);
    /// Firmware older than the release: -1; newer: 1; the release or unknown: 0.
    static int firmwareAge(const FleetBoard& board);

    /// One header line, then one line per board; cells that a spreadsheet would take for a
    /// formula are quoted as text.
    static std::string toCsv(const std::vector<FleetBoard>& boards, const Options& options);
    /// {"today","intervalMonths","boards":[...]}, valid UTF-8 whatever the texts hold.
    static std::string toJson(const std::vector<FleetBoard>& boards, const Options& options);
    /// One self-contained page; overdue red, due soon amber, every text escaped.
    static std::string toHtml(const std::vector<FleetBoard>& boards, const Options& options);

private:
    static Options resolved(const Options& options);
};

} // namespace z2e
