#pragma once

#include <pugixml.hpp>

namespace z2e {

class CheckDiagnostics;

/// What of a driver configuration the program would not keep, though each element passes
/// the structural rules: elements nested deeper than the program loads, and simulated entries
/// it cannot place (no KEY, an enclosure number or slot that does not exist, a slot already
/// taken), which the next save of the demo system drops.
class SimulatedPlacementCheck {
public:
    /// True when the program keeps all of `document`; else each loss is added to diagnostics.
    static bool check(const pugi::xml_document& document, CheckDiagnostics* diagnostics);
};

} // namespace z2e
