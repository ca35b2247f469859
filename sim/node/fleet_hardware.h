#pragma once
// The hardware of one node of a generated fleet, and the driver documents that describe it.

#include <string>
#include <vector>

namespace nodesim {

struct FleetEnclosure {
    std::string model; ///< a model name of the driver's product data
    std::string serialNumber;
};

struct FleetBoard {
    std::string model; ///< a model name of the driver's product data
    std::string baseVersion;
    unsigned enclosure = 0;
    unsigned slot = 2;
    std::string firmware; ///< four hexadecimal digits
    std::string serialNumber;
    std::string conSerialNumber;
    std::string calDate;  ///< YYYY-MM-DD
    std::string baseTemp; ///< degrees Celsius
    std::string conTemp;  ///< empty: the driver's own reading
};

struct FleetHardware {
    std::vector<FleetEnclosure> enclosures;
    std::vector<FleetBoard> boards;

    /// The hardware description, with calibration dates and temperatures.
    std::string hardwareDocument() const;
    /// A driver configuration that simulates the same boards. A configuration carries no
    /// calibration dates or temperatures, so simulated boards show the driver's own.
    std::string configDocument() const;

private:
    std::string entries(bool extras) const;
};

} // namespace nodesim
