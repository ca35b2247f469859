#pragma once
// The documents that describe one enclosure: its properties and its model key.

#include <string>

#include <pugixml.hpp>

#include "sim_enclosure.h"

namespace zmpxi_sim {

class EnclosureDocuments {
public:
    /// Root "Properties" with one "EnclosureInfo" element (name, serial number, user data,
    /// slot count and offset, type, version, name code, options, SystemInfo).
    static std::string properties(const SimEnclosure& enclosure, int enclosureId, int boardCount);
    /// A "KEY" element as the configuration's enclosure entries carry it; its EncName is
    /// given both as attribute and as child element.
    static std::string key(const SimEnclosure& enclosure);
    /// Appends a KEY element for a model below `parent`.
    static void appendKey(pugi::xml_node parent, const EnclosureModel& model, const std::string& encName,
                          const std::string& name, int slotCount, int slotOffset, int starHubSlot, int subVersion);
};

} // namespace zmpxi_sim
