// Driver configuration on arbitrary bytes: loading (with the fall-back to the template),
// the checkers with diagnostics, and every read and export of the loaded document.

#include <cstdint>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "require.h"

#include "config/check_diagnostics.h"
#include "config/qorin_cfg_check.h"
#include "config/qorin_cfg_handler.h"

namespace {

using fuzz::require;

void checkBytes(const std::uint8_t* data, std::size_t size)
{
    pugi::xml_document document;
    if (!document.load_buffer(data, size, pugi::parse_default | pugi::parse_comments)) {
        return;
    }
    z2e::QorinCfgCheck check;
    z2e::CheckDiagnostics diagnostics;
    // A rejection must always come with a reason, and a reason always means rejection.
    require(check.checkDocument(document, &diagnostics) == diagnostics.empty());
}

void loadAndRead(const std::uint8_t* data, std::size_t size)
{
    z2e::QorinCfgHandler handler;
    require(handler.loadConfigFromBuffer(data, size, "fuzz.xml")); // the template never fails
    // Whatever came in, what is kept in memory is a valid document.
    z2e::QorinCfgCheck check;
    require(check.checkDocument(handler.document()));
    z2e::DriverLogSettings settings;
    handler.readLoggerSettings(&settings);
    std::vector<z2e::SimulatedEnclosureEntry> enclosures;
    handler.readSimulatedEnclosures(enclosures);
    std::vector<z2e::SimulatedBoardEntry> boards;
    handler.readSimulatedBoards(boards);
    std::string exported;
    handler.exportSimulation(std::string(), &exported);

    // Writing back what was read must keep the document valid too.
    z2e::SimulatedSystem system;
    for (const auto& enclosure : enclosures) {
        system.enclosures.push_back(enclosure);
    }
    for (const auto& board : boards) {
        if (board.encNumber < 0 || static_cast<std::size_t>(board.encNumber) >= system.enclosures.size()) {
            continue;
        }
        z2e::SimulatedSlotEntry slot;
        slot.slotNumber = board.slotNumber;
        slot.hasBoard = true;
        slot.board = board;
        system.enclosures[static_cast<std::size_t>(board.encNumber)].slots.push_back(slot);
    }
    handler.writeSimulatedSystem(system);
    require(check.checkDocument(handler.document()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkBytes(data, size);
    loadAndRead(data, size);
    return 0;
}
