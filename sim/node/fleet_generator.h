#pragma once
// Generates the hardware of a fleet of nodes from a seed: models from the driver's product
// data, serial numbers that differ across the whole fleet, firmware at, behind and beyond the
// latest release, calibration dates recent, nearly due and overdue, and varied temperatures.

#include "fleet_hardware.h"

#include <cstdint>
#include <string>

namespace nodesim {

class FleetGenerator {
public:
    /// Serial numbers are counted out in blocks of this size per node.
    static constexpr unsigned kMaxBoardsPerNode = 16;
    /// Calibration is due this many days after the calibration date.
    static constexpr long kCalibrationIntervalDays = 365;

    /// `today` in days since 1970-01-01; calibration dates are chosen relative to it.
    FleetGenerator(std::uint32_t seed, long today);

    /// The hardware of node `index` (0-based): the same for the same seed, index and day.
    FleetHardware node(unsigned index) const;

    /// Today's UTC date in days since 1970-01-01.
    static long today();
    /// "YYYY-MM-DD" of a day count since 1970-01-01.
    static std::string dateText(long days);

private:
    std::uint32_t m_seed;
    long m_today;
};

} // namespace nodesim
