#include "board_commands.h"

#include <pugixml.hpp>

#include "board_documents.h"
#include "board_procedures.h"
#include "result_codes.h"
#include "test_documents.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

using xml_util::equalsNoCase;

std::int32_t readFailure(EepromHealth health)
{
    return health == EepromHealth::Corrupt ? rc::eepromChecksumFailed : rc::eepromReadFailed;
}

} // namespace

BoardCommands::BoardCommands(CommandContext& context, SimBoard& board) : m_context(context), m_board(board) {}

std::int32_t BoardCommands::get(const std::string& suffix, const std::string& item, std::string& answer)
{
    if (const LiteralDocument* literal = m_board.literal(suffix, item)) {
        answer = literal->text;
        return rc::ok;
    }
    if (suffix.empty())
        return getPlain(item, answer);
    if (equalsNoCase(suffix, "Base") && item == "FWCheck") {
        std::int32_t status = rc::ok;
        answer = BoardDocuments::firmwareCheck(m_board, status);
        return status;
    }
    if (equalsNoCase(suffix, "BaseEEPROM") && item == "SVNRevision")
        return revision(true, answer);
    if (equalsNoCase(suffix, "ConEEPROM") && item == "SVNRevision")
        return revision(false, answer);
    if (equalsNoCase(suffix, "AiALL"))
        return getCalibration(item, answer);
    return rc::commandInvalid;
}

std::int32_t BoardCommands::getPlain(const std::string& item, std::string& answer)
{
    if (item == "baseeeprom")
        return eepromDocument(true, answer);
    if (item == "coneeprom")
        return eepromDocument(false, answer);
    if (item == "key") {
        answer = BoardDocuments::key(m_board);
        return rc::ok;
    }
    if (item == "boardproperties") {
        answer = BoardDocuments::properties(m_board, m_context.system->placement(m_board));
        return rc::ok;
    }
    if (item == "chassisno") {
        answer = std::to_string(m_board.entry().encNumber);
        return rc::ok;
    }
    if (item == "slotno") {
        answer = std::to_string(m_board.entry().slotNumber);
        return rc::ok;
    }
    if (item == "BaseTemp") {
        answer = m_board.baseTemperature();
        return rc::ok;
    }
    if (item == "ConTemp") {
        answer = m_board.conTemperature();
        return rc::ok;
    }
    if (item == "BaseEEPROM") {
        answer = BoardDocuments::eepromSummary(m_board);
        return rc::ok;
    }
    if (item == "HardwareCheck") {
        answer = storedResult("HardwareCheck", "HardwareCheck");
        return rc::ok;
    }
    return rc::commandInvalid;
}

std::int32_t BoardCommands::getCalibration(const std::string& item, std::string& answer)
{
    if (item == "HardwareCheck") {
        answer = TestDocuments::channelCheck(m_board, m_board.index());
        return rc::ok;
    }
    if (item == "AmplifierOffset" || item == "Selfjustage" || item == "ThreeWireInternalLineResistance") {
        answer = storedResult(item, item.c_str());
        return rc::ok;
    }
    return rc::commandInvalid;
}

std::string BoardCommands::storedResult(const std::string& key, const char* root)
{
    const auto found = m_board.results().find(key);
    if (found != m_board.results().end())
        return found->second;
    return TestDocuments::verdictOnly(m_board, m_board.index(), root, "undone");
}

std::int32_t BoardCommands::eepromDocument(bool base, std::string& answer) const
{
    const SimBoard::Eeprom& eeprom = base ? m_board.base() : m_board.con();
    if (eeprom.health != EepromHealth::Good)
        return readFailure(eeprom.health);
    answer = eeprom.document;
    return rc::ok;
}

std::int32_t BoardCommands::revision(bool base, std::string& answer) const
{
    const SimBoard::Eeprom& eeprom = base ? m_board.base() : m_board.con();
    if (eeprom.health != EepromHealth::Good)
        return readFailure(eeprom.health);
    pugi::xml_document doc;
    doc.load_string(eeprom.document.c_str());
    answer = xml_util::text(doc.document_element(), "SVNRevision");
    return rc::ok;
}

std::int32_t BoardCommands::set(const std::string& suffix, const std::string& item, const std::string& value)
{
    BoardProcedures procedures(m_context, m_board);
    if (suffix.empty()) {
        if (item == "baseeeprom")
            return procedures.stageEeprom(true, value);
        if (item == "coneeprom")
            return procedures.stageEeprom(false, value);
        if (item == "rebase")
            return procedures.rebase(value);
        if (item == "HardwareCheck")
            return procedures.selfTest(value);
        return rc::commandInvalid;
    }
    if (equalsNoCase(suffix, "Base") && item == "FWUpdate")
        return procedures.updateFirmware(value);
    if (equalsNoCase(suffix, "BaseEEPROMSelfCal") && item == "BoardInfo/SelfCal/FeatureSet")
        return procedures.stageFeatureSet(value);
    if (equalsNoCase(suffix, "AiALL")) {
        if (item == "AmplifierOffset")
            return procedures.autoZero(value);
        if (item == "Selfjustage")
            return procedures.gainCalibration();
        if (item == "ThreeWireInternalLineResistance")
            return procedures.threeWire();
    }
    return rc::commandInvalid;
}

std::int32_t BoardCommands::setInt(std::int32_t command, std::int64_t /*value*/)
{
    BoardProcedures procedures(m_context, m_board);
    switch (command) {
    case 1:
        if (m_board.isOpen())
            return rc::boardAlreadyOpen;
        m_board.setOpen(true);
        return rc::ok;
    case 2:
        if (!m_board.isOpen())
            return rc::boardNotOpen;
        m_board.setOpen(false);
        return rc::ok;
    case 773: return procedures.resetCalibration();
    case 1025: return procedures.commitEeprom(true);
    case 1026: return procedures.commitEeprom(false);
    case 1027: return procedures.commitFeatureSet();
    case 1028: return procedures.restoreFromBackup(true);
    case 1029: return procedures.restoreFromBackup(false);
    case 1044: return procedures.eraseBase();
    case 1056:
        // The board reloads its configuration from the EEPROM.
        m_board.refresh();
        return rc::ok;
    default: return rc::commandInvalid;
    }
}

std::int32_t BoardCommands::getInt(std::int32_t command, std::int64_t& value)
{
    switch (command) {
    case 1: value = m_board.isOpen() ? 1 : 0; return rc::ok;
    case 1282: value = m_board.model().typeCode; return rc::ok;
    default: return rc::commandInvalid;
    }
}

} // namespace zmpxi_sim
