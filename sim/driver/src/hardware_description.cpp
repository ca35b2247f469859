#include "hardware_description.h"

#include <pugixml.hpp>

#include "file_util.h"
#include "simulation_reader.h"
#include "xml_util.h"

namespace zmpxi_sim {

HardwareDescription HardwareDescription::load(const std::string& path)
{
    std::string text;
    if (!file_util::readFile(path, text)) {
        HardwareDescription description;
        description.error = "cannot read hardware description " + path;
        return description;
    }
    return parse(text);
}

HardwareDescription HardwareDescription::parse(const std::string& text)
{
    HardwareDescription description;
    pugi::xml_document doc;
    if (!xml_util::parse(text, doc, description.error))
        return description;
    const pugi::xml_node root = doc.document_element();
    const pugi::xml_node enclosures = root.select_node("descendant-or-self::SimulatedEnclosures").node();
    const pugi::xml_node boards = root.select_node("descendant-or-self::SimulatedBoards").node();
    if (!enclosures && !boards) {
        description.error = "no SimulatedEnclosures or SimulatedBoards element";
        return description;
    }
    const SimulationReader reader(SimulationReader::Mode::Hardware);
    if (!reader.read(enclosures, boards, description.hardware, description.error))
        return description;
    SimulationReader::readSystemFaults(root.child("Faults"), description.faults);
    description.valid = true;
    return description;
}

} // namespace zmpxi_sim
