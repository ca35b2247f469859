#include "tools/fleet_reader.h"

#include "core/node_result_text.h"
#include "core/temperature_rows.h"
#include "driver/command/driver_result.h"
#include "tools/firmware_updater.h"
#include "uni/number_text.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

namespace z2e {
namespace {

std::string textAt(const pugi::xml_node& node, const char* path)
{
    return node.first_element_by_path(path).child_value();
}

void readProperties(const std::string& document, FleetBoard& board)
{
    pugi::xml_document xml;
    if (document.empty() || !xpugi::parseUntrusted(xml, document))
        return;
    const pugi::xml_node properties = xml.child("Properties");
    const pugi::xml_node info = properties.child("BoardInfo");
    board.model = info.child_value("DisplayName");
    board.serial = info.child_value("SerialNumber");
    board.firmware = info.child_value("FWRevision");
    board.calibrationDate = textAt(info, "BaseBoard/BaseCal/Date");
    board.baseTemperature = textAt(info, "BaseBoard/BaseBoardTemp");
    board.conTemperature = textAt(info, "ConPanel/ConPanelTemp");
    std::int32_t slot = -1;
    if (uni::text::parseSignedDecimal(textAt(properties, "SystemInfo/SlotNo"), slot) && slot >= 0)
        board.slot = slot;
    for (const char* part : {"BaseE2Prom", "ConE2Prom"}) {
        const std::string status = info.child("E2PromStatus").child(part).child_value("Status");
        if (!status.empty() && status != "OK")
            board.warnings.push_back(std::string(part[0] == 'B' ? "base" : "connector") + " EEPROM: " + status);
    }
    if (TemperatureRows::runsHot(board.baseTemperature) || TemperatureRows::runsHot(board.conTemperature))
        board.warnings.push_back("temperature above " + std::to_string(int(TemperatureRows::kHotLimitDegC)) + " degC");
}

void readCheck(const std::string& document, FleetBoard& board)
{
    FirmwareRow row;
    FirmwareUpdater::readCheck(document, row);
    if (!row.installed.empty())
        board.firmware = row.installed;
    board.firmwareLatest = row.latest;
    if (FirmwareUpdater::planOf(board.firmware, board.firmwareLatest, true) == FirmwarePlan::Update)
        board.warnings.push_back("firmware " + board.firmware + " is older than the release " + board.firmwareLatest);
}

} // namespace

FleetBoard FleetReader::fromDocuments(std::int32_t index, const std::string& properties, const std::string& check)
{
    FleetBoard board;
    board.index = index;
    readProperties(properties, board);
    readCheck(check, board);
    return board;
}

std::int32_t FleetReader::read(QorinNodeUtilWrapper& wrapper, const std::string& system, const std::string& address,
                               std::vector<FleetBoard>& boards) const
{
    std::int32_t first = 0;
    const std::uint32_t count = wrapper.getBoardCount();
    for (std::uint32_t index = 0; index < count; ++index) {
        std::string properties;
        std::string check;
        std::int32_t result = wrapper.getBoardProperties(index, properties);
        if (!DriverResult::succeeded(result))
            properties.clear();
        else
            result = wrapper.getFirmwareCheck(index, check);
        const bool complete = DriverResult::succeeded(result);
        FleetBoard board = fromDocuments(static_cast<std::int32_t>(index), properties, complete ? check : "");
        board.system = system;
        board.address = address;
        std::int32_t enclosure = -1;
        std::int32_t slot = -1;
        if (complete && wrapper.getBoardLocation(index, enclosure, slot) < 1 && enclosure >= 0)
            board.enclosure = enclosure;
        // The command layer reports what it could not read; the node's failure behind it is
        // the cause worth telling, and a lost link ends the read.
        const std::int32_t cause = complete ? 0 : wrapper.lastCause();
        const std::int32_t failure = cause != 0 ? cause : result;
        if (!complete) {
            board.warnings.push_back("could not be read completely: " + statusWords(result, &wrapper));
            first = first != 0 ? first : failure;
        }
        m_tests.find(board.serial, board.selfTest);
        boards.push_back(std::move(board));
        if (DriverResult::linkFailed(failure))
            break;
    }
    return first;
}

} // namespace z2e
