#include "config/simulated_placement_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/check_diagnostics.h"
#include "config/qorin_cfg_handler.h"
#include "uni/number_text.h"
#include "xpugi/element.h"

namespace z2e {

namespace {

// Slot numbers of configuration entries count from 2; an enclosure has at most this many.
constexpr std::int32_t kFirstSlotNumber = 2;
constexpr std::int32_t kMaxSlots = 256;

bool isEntry(const pugi::xml_node& node)
{
    return node.type() == pugi::node_element && std::strncmp(node.name(), "ID", 2) == 0;
}

bool number(const pugi::xml_node& parent, const char* name, std::int32_t& value)
{
    return uni::text::parseSignedDecimal(xpugi::elementText(parent.child(name)), value);
}

bool lost(CheckDiagnostics* diagnostics, const pugi::xml_node& node, const std::string& why)
{
    if (diagnostics)
        diagnostics->add(node, why + "; the next save of the demo system drops it");
    return false;
}

} // namespace

bool SimulatedPlacementCheck::check(const pugi::xml_document& document, CheckDiagnostics* diagnostics)
{
    if (!QorinCfgHandler::nestingAcceptable(document)) {
        if (diagnostics)
            diagnostics->add("/" + std::string(document.document_element().name()),
                             "elements nested deeper than " + std::to_string(QorinCfgHandler::kMaxNesting) +
                                 " levels; the program would use its built-in configuration instead");
        return false;
    }
    const pugi::xml_node simulation = xpugi::selectFirst(document.document_element(), "Configuration/Simulation");
    bool kept = true;
    // The slots of each enclosure the program reads, in the order it numbers them.
    std::vector<std::int32_t> slots;
    for (const pugi::xml_node& entry : simulation.child("SimulatedEnclosures").children()) {
        if (!isEntry(entry))
            continue;
        const pugi::xml_node key = entry.child("KEY");
        if (!key) {
            kept = lost(diagnostics, entry, "an enclosure without KEY is not read");
            continue;
        }
        std::int32_t count = 0;
        number(key, "UserSlotCnt", count);
        slots.push_back(std::clamp(count, 0, kMaxSlots));
    }
    std::map<std::pair<std::int32_t, std::int32_t>, std::string> taken;
    for (const pugi::xml_node& entry : simulation.child("SimulatedBoards").children()) {
        if (!isEntry(entry))
            continue;
        std::int32_t enclosure = 0;
        std::int32_t slot = 0;
        if (!entry.child("KEY")) {
            kept = lost(diagnostics, entry, "a board without KEY is not read");
            continue;
        }
        if (!number(entry, "EncNumber", enclosure) || !number(entry, "SlotNumber", slot))
            continue; // the structural rules report these
        if (enclosure < 0 || static_cast<std::size_t>(enclosure) >= slots.size()) {
            kept = lost(diagnostics, entry,
                        "EncNumber " + std::to_string(enclosure) + " names no enclosure (there are " +
                            std::to_string(slots.size()) + ")");
            continue;
        }
        const std::int32_t last = kFirstSlotNumber + slots[static_cast<std::size_t>(enclosure)] - 1;
        if (slot < kFirstSlotNumber || slot > last) {
            kept = lost(diagnostics, entry,
                        "SlotNumber " + std::to_string(slot) + " lies outside the slots " +
                            std::to_string(kFirstSlotNumber) + ".." + std::to_string(last) + " of enclosure " +
                            std::to_string(enclosure) + " (UserSlotCnt, at most " + std::to_string(kMaxSlots) + ")");
            continue;
        }
        const auto place = taken.emplace(std::make_pair(enclosure, slot), entry.name());
        if (!place.second)
            kept = lost(diagnostics, entry,
                        "slot " + std::to_string(slot) + " of enclosure " + std::to_string(enclosure) +
                            " already holds " + place.first->second);
    }
    return kept;
}

} // namespace z2e
