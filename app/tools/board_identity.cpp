#include "tools/board_identity.h"

#include "uni/number_text.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

namespace z2e {

BoardIdentity BoardIdentity::read(QorinNodeUtilWrapper& wrapper, std::uint32_t board)
{
    BoardIdentity identity = fromProperties(board, description(wrapper, board));
    identity.readPlace(wrapper);
    return identity;
}

std::string BoardIdentity::description(QorinNodeUtilWrapper& wrapper, std::uint32_t board)
{
    std::string document;
    if (wrapper.getBoardProperties(board, document) >= 1)
        document.clear();
    return document;
}

void BoardIdentity::readPlace(QorinNodeUtilWrapper& wrapper)
{
    std::int32_t at = -1;
    std::int32_t slotNumber = -1;
    if (wrapper.getBoardLocation(index, at, slotNumber) < 1 && at >= 0)
        enclosure = at;
}

std::string BoardIdentity::label() const
{
    const std::string where = enclosure >= 0 && slot != kUnknownSlot
                                  ? std::to_string(enclosure) + "/" + std::to_string(slot)
                                  : "board " + std::to_string(index);
    const std::string& shownModel = model.empty() ? name : model;
    const std::string who = shownModel + (shownModel.empty() || serial.empty() ? "" : " ") + serial;
    return who.empty() ? where : where + "  " + who;
}

BoardIdentity BoardIdentity::fromProperties(std::uint32_t board, const std::string& document)
{
    BoardIdentity identity;
    identity.index = board;
    pugi::xml_document xml;
    if (document.empty() || !xpugi::parseUntrusted(xml, document))
        return identity;
    const pugi::xml_node info = xml.child("Properties").child("BoardInfo");
    identity.name = info.child_value("BoardName");
    identity.model = info.child_value("DisplayName");
    identity.serial = info.child_value("SerialNumber");
    identity.firmware = info.child_value("FWRevision");
    std::int32_t slot = 0;
    if (uni::text::parseSignedDecimal(xml.child("Properties").child("SystemInfo").child_value("SlotNo"), slot) &&
        slot >= 0)
        identity.slot = static_cast<std::uint32_t>(slot);
    return identity;
}

} // namespace z2e
