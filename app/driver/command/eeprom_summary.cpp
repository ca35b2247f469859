#include "driver/command/eeprom_summary.h"

#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <strings.h>

namespace z2e {

bool parseEepromSummary(const std::string& document, EepromSummary& summary)
{
    pugi::xml_document doc;
    if (!xpugi::parseUntrusted(doc, document))
        return false;
    const pugi::xml_node root = doc.document_element();
    const pugi::xml_node info = root.child("BoardInfo");
    EepromSummary parsed;
    parsed.name = root.attribute("Name").value();
    parsed.baseModel = info.child_value("BaseModel");
    parsed.baseVersion = info.child_value("BaseVersion");
    parsed.serialNumber = info.child_value("SerialNumber");
    parsed.fromEeprom = strcasecmp(root.child_value("Source"), "E2Prom") == 0;
    summary = parsed;
    return true;
}

} // namespace z2e
