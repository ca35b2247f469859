#include "driver/command/qorin_node_util_wrapper.h"

#include "driver/command/app_status.h"
#include "driver/command/driver_command.h"
#include "driver/command/driver_target.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/number_text.h"
#include "uni/osal.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace z2e {

namespace {

using qorinet_api::succeeded;

constexpr const char* kConfigFileName = "zmpxi_api_config.xml";

// The driver reads model and revision from this fragment; the two blanks are part of it.
std::string defaultEepromItem(const std::string& model, const std::string& version)
{
    return "default/<BaseEEPROM  BaseModel='" + model + "' BaseVersion='" + version + "'/>";
}

std::int32_t numberOrMinusOne(std::int32_t result, const std::string& text)
{
    std::int32_t value = -1;
    if (!succeeded(result) || !uni::text::parseSignedDecimal(text, value))
        return -1;
    return value;
}

} // namespace

QorinNodeUtilWrapper::QorinNodeUtilWrapper(NodePtr node) : m_node(std::move(node)) {}

void QorinNodeUtilWrapper::setReady(bool ready)
{
    m_ready = ready && m_node != nullptr;
    std::lock_guard<std::mutex> lock(m_placesLock);
    m_places.clear();
}
bool QorinNodeUtilWrapper::isReady() const
{
    return m_ready;
}
const QorinNodeUtilWrapper::NodePtr& QorinNodeUtilWrapper::node() const
{
    return m_node;
}

std::int32_t QorinNodeUtilWrapper::mapFailure(std::int32_t result, std::int32_t status)
{
    if (result < 1)
        return result;
    m_lastCause = result;
    return status;
}

bool QorinNodeUtilWrapper::boardInRange(std::uint32_t board) const
{
    return board < m_node->getBoardCount();
}

std::int32_t QorinNodeUtilWrapper::getBoardText(std::uint32_t board, const std::string& suffix, const char* item,
                                                std::string& text)
{
    return m_node->GetParamStruct_str(boardTarget(board, suffix), item, text);
}

std::int32_t QorinNodeUtilWrapper::setBoardText(std::uint32_t board, const std::string& suffix, const char* item,
                                                const std::string& value)
{
    return m_node->SetParamStruct_str(boardTarget(board, suffix), item, value);
}

std::int32_t QorinNodeUtilWrapper::sendBoardCommand(std::uint32_t board, std::int32_t command)
{
    return m_node->SetParam_i32(static_cast<std::int32_t>(board), command, 0);
}

// ---- Board commands ----

std::int32_t QorinNodeUtilWrapper::getBaseEeprom(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(getBoardText(board, {}, "baseeeprom", document), AppStatus::BaseEepromFailed);
}

std::int32_t QorinNodeUtilWrapper::setEepromDocument(std::uint32_t board, const char* item, const std::string& document,
                                                     std::int32_t commitCommand, std::int32_t commitFailed)
{
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    if (!succeeded(setBoardText(board, {}, item, document)))
        return AppStatus::EepromDocumentFailed;
    return succeeded(sendBoardCommand(board, commitCommand)) ? AppStatus::Ok : commitFailed;
}

std::int32_t QorinNodeUtilWrapper::setBaseEeprom(std::uint32_t board, const std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return setEepromDocument(board, "baseeeprom", document, command::COMMIT_BASE_EEPROM,
                             AppStatus::BaseEepromWriteFailed);
}

std::int32_t QorinNodeUtilWrapper::getConEeprom(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return getBoardText(board, {}, "coneeprom", document);
}

std::int32_t QorinNodeUtilWrapper::setConEeprom(std::uint32_t board, const std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return setEepromDocument(board, "coneeprom", document, command::COMMIT_CON_EEPROM, AppStatus::ConEepromWriteFailed);
}

std::int32_t QorinNodeUtilWrapper::getBoardKey(std::uint32_t board, std::string& key)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(getBoardText(board, {}, "key", key), AppStatus::BoardKeyFailed);
}

std::int32_t QorinNodeUtilWrapper::getBoardProperties(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(getBoardText(board, {}, "boardproperties", document), AppStatus::BoardPropertiesFailed);
}

std::int32_t QorinNodeUtilWrapper::getBoardLocation(std::uint32_t board, std::int32_t& chassis, std::int32_t& slot)
{
    if (!m_ready)
        return AppStatus::NotReady;
    {
        std::lock_guard<std::mutex> lock(m_placesLock);
        const auto known = m_places.find(board);
        if (known != m_places.end()) {
            chassis = known->second.first;
            slot = known->second.second;
            return 0;
        }
    }
    std::string text;
    std::int32_t result = getBoardText(board, {}, "chassisno", text);
    chassis = numberOrMinusOne(result, text);
    slot = -1;
    if (!succeeded(result))
        return result;
    text.clear();
    result = getBoardText(board, {}, "slotno", text);
    slot = numberOrMinusOne(result, text);
    // Only a whole place is kept: a text that was no number is asked again.
    if (result == 0 && chassis >= 0 && slot >= 0) {
        std::lock_guard<std::mutex> lock(m_placesLock);
        m_places[board] = {chassis, slot};
    }
    return result;
}

std::int32_t QorinNodeUtilWrapper::getBoardTemperatures(std::uint32_t board, std::string& baseTemp,
                                                        std::string& conTemp)
{
    if (!m_ready)
        return AppStatus::NotReady;
    getBoardText(board, {}, "BaseTemp", baseTemp);
    return getBoardText(board, {}, "ConTemp", conTemp);
}

std::int32_t QorinNodeUtilWrapper::getEepromRevisions(std::uint32_t board, std::string& baseRevision,
                                                      std::string& conRevision)
{
    if (!m_ready)
        return AppStatus::NotReady;
    getBoardText(board, "BaseEEPROM", "SVNRevision", baseRevision);
    return getBoardText(board, "ConEEPROM", "SVNRevision", conRevision);
}

std::int32_t QorinNodeUtilWrapper::getBaseEepromSummary(std::uint32_t board, EepromSummary& summary)
{
    if (!m_ready)
        return AppStatus::NotReady;
    std::string document;
    const std::int32_t result = getBoardText(board, {}, "BaseEEPROM", document);
    if (!succeeded(result))
        return result;
    return parseEepromSummary(document, summary) ? result : AppStatus::XmlParsingFailed;
}

std::int32_t QorinNodeUtilWrapper::getFirmwareCheck(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(getBoardText(board, "Base", "FWCheck", document), AppStatus::FirmwareCheckFailed);
}

std::int32_t QorinNodeUtilWrapper::updateFirmware(std::uint32_t board, const std::string& selection)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    return setBoardText(board, "Base", "FWUpdate", selection);
}

std::int32_t QorinNodeUtilWrapper::crossGradeStatus(std::int32_t rebaseAnswer)
{
    switch (rebaseAnswer) {
    case qorinet_api::ERR_NONE: return AppStatus::CrossGradeDone;
    case qorinet_api::ERROR_BASEEEPROM_FILE_NULL: return AppStatus::BaseDataAccessFailed;
    case qorinet_api::ERROR_BASEEEPROM_WRITE_ERROR: return AppStatus::BaseEepromAccessFailed;
    case qorinet_api::ERROR_FIRMWARE_UPDATE_FAILED: return AppStatus::FirmwareUpdateFailed;
    default: return AppStatus::Failed;
    }
}

std::int32_t QorinNodeUtilWrapper::crossGrade(std::uint32_t board, std::string& code)
{
    const std::int32_t result = m_ready ? rebase(board, code) : AppStatus::NotReady;
    code.clear();
    return result;
}

// A board someone else opened stays open afterwards: only our own open is undone.
std::int32_t QorinNodeUtilWrapper::rebase(std::uint32_t board, const std::string& code)
{
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    const std::int32_t opened = sendBoardCommand(board, command::OPEN_BOARD);
    if (opened != qorinet_api::ERR_NONE && opened != qorinet_api::ERR_BOARD_ALREADY_OPEN)
        return AppStatus::BoardOpenFailed;
    const std::int32_t result = crossGradeStatus(setBoardText(board, {}, "rebase", code));
    if (opened == qorinet_api::ERR_NONE)
        sendBoardCommand(board, command::CLOSE_BOARD);
    return result;
}

std::int32_t QorinNodeUtilWrapper::startSelfTest(std::uint32_t board, const std::string& kind)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    setBoardText(board, {}, "HardwareCheck", kind);
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::getSelfTestResult(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return getBoardText(board, {}, "HardwareCheck", document);
}

// Results are read under "AiALL" and the runs started under "AIAll"; the driver knows both
// spellings and each is sent exactly so.
std::int32_t QorinNodeUtilWrapper::getChannelCheckResult(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return getBoardText(board, "AiALL", "HardwareCheck", document);
}

std::int32_t QorinNodeUtilWrapper::startAutoZero(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    setBoardText(board, "AIAll", "AmplifierOffset", "200 ms");
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::getAutoZeroResult(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return getBoardText(board, "AiALL", "AmplifierOffset", document);
}

std::int32_t QorinNodeUtilWrapper::startGainCalibration(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    setBoardText(board, "AIAll", "Selfjustage", {});
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::getGainCalibrationResult(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return getBoardText(board, "AiALL", "Selfjustage", document);
}

std::int32_t QorinNodeUtilWrapper::startThreeWireOffset(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    setBoardText(board, "AIAll", "ThreeWireInternalLineResistance", {});
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::getThreeWireOffsetResult(std::uint32_t board, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return getBoardText(board, "AiALL", "ThreeWireInternalLineResistance", document);
}

std::int32_t QorinNodeUtilWrapper::setSelfCalFeatureSet(std::uint32_t board, std::uint32_t featureSet)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    const std::int32_t written = m_node->SetParamXML_str(
        boardTarget(board, "BaseEEPROMSelfCal"), "BoardInfo/SelfCal/FeatureSet", uni::text::hex8(featureSet, false));
    if (!succeeded(written))
        return written;
    sendBoardCommand(board, command::COMMIT_SELF_CAL);
    return sendBoardCommand(board, command::APPLY_FEATURE_SET);
}

std::int32_t QorinNodeUtilWrapper::writeDefaultBaseEeprom(std::uint32_t board, const std::string& model,
                                                          const std::string& version, const std::string& serial)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!boardInRange(board)) // refused before anything is sent
        return uni::osal::ERR_UNI_OSAL_ERROR;
    std::string document;
    if (defaultBaseEepromDocument(model, version, serial, document) != AppStatus::Ok)
        return AppStatus::EepromDocumentFailed;
    const std::int32_t result =
        setEepromDocument(board, "baseeeprom", document, command::COMMIT_BASE_EEPROM, AppStatus::EepromDocumentFailed);
    return result == AppStatus::Ok ? AppStatus::Ok : AppStatus::EepromDocumentFailed;
}

std::int32_t QorinNodeUtilWrapper::defaultBaseEepromDocument(const std::string& model, const std::string& version,
                                                             const std::string& serial, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    std::string answer;
    if (!succeeded(m_node->GetParamStruct_str("BoardListing/baseeeprom", defaultEepromItem(model, version), answer)))
        return AppStatus::EepromDocumentFailed;
    pugi::xml_document doc;
    if (!xpugi::parseUntrusted(doc, answer))
        return AppStatus::EepromDocumentFailed;
    pugi::xml_node serialNode = doc.document_element().child("BoardInfo").child("SerialNumber");
    if (!serialNode)
        return AppStatus::EepromDocumentFailed;
    serialNode.text().set(serial.c_str());
    std::ostringstream text;
    doc.save(text, "", pugi::format_raw);
    document = text.str();
    return AppStatus::Ok;
}

// ---- Integer commands ----

std::int32_t QorinNodeUtilWrapper::restoreFactoryCalibration(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    m_boardResults[board] = sendBoardCommand(board, command::RESTORE_FACTORY_CALIBRATION);
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::restoreFactoryCalibrationAll()
{
    if (!m_ready)
        return AppStatus::NotReady;
    const std::uint32_t count = m_node->getBoardCount();
    for (std::uint32_t board = 0; board < count; ++board)
        m_boardResults[board] = sendBoardCommand(board, command::RESTORE_FACTORY_CALIBRATION);
    return AppStatus::Ok;
}

const std::map<std::uint32_t, std::int32_t>& QorinNodeUtilWrapper::boardResults() const
{
    return m_boardResults;
}

std::int32_t QorinNodeUtilWrapper::autoRestoreBaseEeprom(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return sendBoardCommand(board, command::AUTO_RESTORE_BASE_EEPROM);
}

std::int32_t QorinNodeUtilWrapper::autoRestoreConEeprom(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return sendBoardCommand(board, command::AUTO_RESTORE_CON_EEPROM);
}

std::int32_t QorinNodeUtilWrapper::eraseBaseEeprom(std::uint32_t board)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return sendBoardCommand(board, command::ERASE_BASE_EEPROM);
}

std::int32_t QorinNodeUtilWrapper::getBoardTypeCode(std::uint32_t board, std::int32_t& typeCode)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParam_i32(static_cast<std::int32_t>(board), command::BOARD_TYPE_CODE, typeCode);
}

// ---- System commands ----

std::uint32_t QorinNodeUtilWrapper::getEnclosureCount()
{
    if (!m_ready)
        return 0;
    std::string text;
    std::int32_t count = 0;
    if (!succeeded(m_node->GetParamStruct_str("System", "EnclosureCount", text)) ||
        !uni::text::parseSignedDecimal(text, count) || count < 0)
        return 0;
    return static_cast<std::uint32_t>(count);
}

std::int32_t QorinNodeUtilWrapper::getConfigFilePath(std::string& path)
{
    if (!m_ready)
        return AppStatus::NotReady;
    std::string folder;
    const std::int32_t result = m_node->GetParamStruct_str("System/Config", "Path", folder);
    if (!succeeded(result))
        return AppStatus::ConfigPathFailed;
    path = (std::filesystem::path(folder) / kConfigFileName).string();
    return result;
}

std::int32_t QorinNodeUtilWrapper::getSystemVersions(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(m_node->GetParamStruct_str("driver/api", "SystemVersions", document), AppStatus::VersionsFailed);
}

std::int32_t QorinNodeUtilWrapper::getBoardKeyNames(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(m_node->GetParamStruct_str("BoardListing/Key2Name", "Raw", document),
                      AppStatus::BoardListingFailed);
}

std::int32_t QorinNodeUtilWrapper::getBaseEepromEntries(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamStruct_str("BoardListing/BaseEEPROM", "entries", document);
}

std::int32_t QorinNodeUtilWrapper::getDefaultBaseEeprom(const std::string& model, const std::string& version,
                                                        std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamStruct_str("BoardListing/baseeeprom", defaultEepromItem(model, version), document);
}

std::int32_t QorinNodeUtilWrapper::getEnclosureListing(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(m_node->GetParamStruct_str("EnclosureListing/Listing", "Raw", document),
                      AppStatus::EnclosureListingFailed);
}

std::int32_t QorinNodeUtilWrapper::getEnclosureKeyNames(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return mapFailure(m_node->GetParamStruct_str("EnclosureListing/Key2Name", "Raw", document),
                      AppStatus::EnclosureListingFailed);
}

std::int32_t QorinNodeUtilWrapper::getFirmwareListing(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamStruct_str("FirmwareListing", "FileList", document);
}

std::int32_t QorinNodeUtilWrapper::describeVirtualBoard(const std::string& key, std::string& properties,
                                                        std::string& config, std::string& firmware)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!succeeded(m_node->SetParamStruct_str("virtualboard", "key", key))) {
        properties.clear();
        config.clear();
        firmware.clear();
        return AppStatus::VirtualBoardKeyFailed;
    }
    if (!succeeded(m_node->GetParamStruct_str("virtualboard", "properties", properties)))
        return AppStatus::BoardPropertiesFailed;
    if (!succeeded(m_node->GetParamStruct_str("virtualboard", "config", config)))
        return AppStatus::BaseEepromFailed;
    if (!succeeded(m_node->GetParamStruct_str("virtualboard", "firmware", firmware)))
        return AppStatus::FirmwareCheckFailed;
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::startVirtualSelfTest(const std::string& value)
{
    if (!m_ready)
        return AppStatus::NotReady;
    m_node->SetParamStruct_str("virtualboard", "selftest", value);
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::getVirtualSelfTestResult(std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamStruct_str("virtualboard", "HardwareCheck", document);
}

std::int32_t QorinNodeUtilWrapper::describeVirtualEnclosure(const std::string& key, std::string& properties)
{
    if (!m_ready)
        return AppStatus::NotReady;
    if (!succeeded(m_node->SetParamStruct_str("virtualenclosure", "key", key)))
        return AppStatus::VirtualEnclosureKeyFailed;
    if (!succeeded(m_node->GetParamStruct_str("virtualenclosure", "properties", properties)))
        return AppStatus::EnclosurePropertiesFailed;
    return AppStatus::Ok;
}

// ---- Enclosure commands ----

std::int32_t QorinNodeUtilWrapper::getEnclosureKey(std::uint32_t enclosure, std::string& key)
{
    if (!m_ready)
        return AppStatus::NotReady;
    m_node->GetParamStruct_str(enclosureTarget(enclosure), "key", key);
    return AppStatus::Ok;
}

std::int32_t QorinNodeUtilWrapper::getEnclosureProperties(std::uint32_t enclosure, std::string& document)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamStruct_str(enclosureTarget(enclosure), "enclosureproperties", document);
}

std::int32_t QorinNodeUtilWrapper::writeEnclosureData(const EnclosureData& data)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return succeeded(writeEnclosureSteps(data)) ? AppStatus::EnclosureUpdated : AppStatus::EnclosureAccessFailed;
}

// Stops at the first failing step; what was written before stays written.
std::int32_t QorinNodeUtilWrapper::writeEnclosureSteps(const EnclosureData& data)
{
    const std::string target = enclosureTarget(data.enclosureId);
    const std::string options = enclosureTarget(data.enclosureId, "Options");
    const std::string properties = enclosureTarget(data.enclosureId, "EncProperties");
    std::int32_t result = m_node->SetParamStruct_str(target, "EncType", std::to_string(data.type));
    if (succeeded(result))
        result = m_node->SetParamStruct_str(target, "EncVersion", std::to_string(data.version));
    if (succeeded(result))
        result = m_node->SetParamStruct_str(target, "EncName", uni::text::hex8(data.serialNumber, true));
    if (succeeded(result))
        result = m_node->SetParamStruct_str(options, "Clear", {});
    if (!succeeded(result))
        return result;
    // Options the enclosure does not know are refused one by one; the rest still count.
    for (const EnclosureOption& option : data.options)
        m_node->SetParamStruct_str(options, option.name, option.value ? std::to_string(*option.value) : std::string());
    result = m_node->SetParamStruct_str(target, "RegenXML", {});
    if (succeeded(result))
        result = m_node->SetParamXML_str(properties, "EnclosureInfo/SerialNumber", data.propertiesSerial);
    if (succeeded(result))
        result = m_node->SetParamXML_str(properties, "EnclosureInfo/UserData", data.userData);
    if (succeeded(result))
        result = m_node->SetParamStruct_str(target, "StoreData", {});
    return result;
}

// ---- Pass-throughs ----

std::uint32_t QorinNodeUtilWrapper::getBoardCount() const
{
    return m_ready ? m_node->getBoardCount() : 0;
}

std::int32_t QorinNodeUtilWrapper::restartServer()
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->restartServer();
}

void QorinNodeUtilWrapper::interrupt()
{
    if (m_node && !m_node->isLocal())
        m_node->disconnect();
}

std::int32_t QorinNodeUtilWrapper::setNodeName(const std::string& name)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->setName(name);
}

std::int32_t QorinNodeUtilWrapper::rebootSystem()
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->rebootSystem();
}

std::int32_t QorinNodeUtilWrapper::setIpConfig(std::uint32_t mode, std::string& address, std::string& netmask)
{
    if (!m_ready)
        return AppStatus::NotReady;
    const std::int32_t result = m_node->setIpConfig(mode, address, netmask);
    address.clear();
    netmask.clear();
    return result;
}

std::int32_t QorinNodeUtilWrapper::getParamStructStr(const std::string& target, const std::string& item,
                                                     std::string& text)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamStruct_str(target, item, text);
}

std::int32_t QorinNodeUtilWrapper::setParamStructStr(const std::string& target, const std::string& item,
                                                     const std::string& value)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->SetParamStruct_str(target, item, value);
}

std::int32_t QorinNodeUtilWrapper::setParamXmlStr(const std::string& target, const std::string& item,
                                                  const std::string& value)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->SetParamXML_str(target, item, value);
}

std::int32_t QorinNodeUtilWrapper::getParamI32(std::int32_t board, std::int32_t command, std::int32_t& value)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParam_i32(board, command, value);
}

std::int32_t QorinNodeUtilWrapper::setParamI32(std::int32_t board, std::int32_t command, std::int32_t value)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->SetParam_i32(board, command, value);
}

std::int32_t QorinNodeUtilWrapper::getParamXmlStr(const std::string& target, const std::string& item, std::string& text)
{
    if (!m_ready)
        return AppStatus::NotReady;
    return m_node->GetParamXML_str(target, item, text);
}

bool QorinNodeUtilWrapper::resultText(std::int32_t result, std::string& text) const
{
    return m_node && m_node->ErrorConstantToString(result, text) == 0 && !text.empty();
}

} // namespace z2e
