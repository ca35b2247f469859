#include "tools/board_cross_grade.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "tools/board_selection.h"
#include "tools/journalled_change.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

namespace z2e {

BoardCrossGrade::BoardCrossGrade(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

std::int32_t BoardCrossGrade::simpleTarget(const std::string& baseId, std::string& target)
{
    target.clear();
    if (baseId.size() < 8 || baseId != kConvertibleId)
        return AppStatus::CrossGradeNotSupported;
    target = kBaseBoardId;
    return AppStatus::Ok;
}

std::string BoardCrossGrade::baseIdOf(const std::string& properties)
{
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, properties))
        return {};
    return xml.child("Properties").child("BoardInfo").child("BaseBoard").child_value("BaseId");
}

std::string BoardCrossGrade::storedBaseId(std::uint32_t board)
{
    std::string properties;
    if (m_wrapper.getBoardProperties(board, properties) >= 1)
        return {};
    return baseIdOf(properties);
}

std::int32_t BoardCrossGrade::entries(std::vector<BaseEepromEntry>& list)
{
    list.clear();
    std::string document;
    const std::int32_t result = m_wrapper.getBaseEepromEntries(document);
    if (result >= 1)
        return result;
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, document))
        return AppStatus::XmlParsingFailed;
    for (const pugi::xml_node& entry : xml.child("BaseEEPROMEntries").children("Entry")) {
        BaseEepromEntry item;
        item.id = entry.attribute("Id").value();
        item.name = entry.attribute("Name").value();
        item.baseModel = entry.attribute("BaseModel").value();
        item.baseVersion = entry.attribute("BaseVersion").value();
        item.family = entry.attribute("Family").value();
        item.current = entry.attribute("Current").as_bool();
        list.push_back(item);
    }
    return AppStatus::Ok;
}

bool BoardCrossGrade::boardExists(std::uint32_t board)
{
    std::vector<std::uint32_t> chosen;
    return BoardSelection::choose({board}, m_wrapper.getBoardCount(), chosen, m_message);
}

std::int32_t BoardCrossGrade::runSimple(std::uint32_t board, const ToolProgress& progress)
{
    m_message.clear();
    m_readBack.clear();
    if (!boardExists(board))
        return AppStatus::NoSuchBoard;
    std::string target;
    const std::string baseId = storedBaseId(board);
    if (simpleTarget(baseId, target) != AppStatus::Ok) {
        m_message = "board " + std::to_string(board) + " has the base identifier '" + baseId + "'";
        return AppStatus::CrossGradeNotSupported;
    }
    return run(board, target, progress);
}

std::int32_t BoardCrossGrade::run(std::uint32_t board, const std::string& target, const ToolProgress& progress)
{
    m_message.clear();
    m_readBack.clear();
    if (!boardExists(board))
        return AppStatus::NoSuchBoard;
    const BoardIdentity before = BoardIdentity::read(m_wrapper, board);
    JournalledChange change(m_journal, before, "crossgrade", storedBaseId(board) + " -> " + target);
    const std::int32_t snapshot = change.snapshot(
        [&](MaintenanceJournal& journal, std::vector<std::string>& files) {
            return journal.snapshot(m_wrapper, before, "crossgrade", files);
        },
        m_message);
    if (snapshot != AppStatus::Ok)
        return snapshot;
    if (progress)
        progress("Applying changes to the board.", 0.0, 0.0);
    std::string code = target;
    const std::int32_t result = m_wrapper.crossGrade(board, code);
    m_readBack.read(m_wrapper, board);
    if (result == AppStatus::CrossGradeDone) {
        const std::string now = baseIdOf(m_readBack.properties);
        m_readBack.verification = m_readBack.propertiesResult >= 1 ? m_readBack.failure()
                                  : now == target                  ? "verified"
                                                  : "base identifier: wrote " + target + ", read " + now;
    }
    if (progress)
        progress("", 1.0, 0.0);
    return change.finish(result, statusMessage(result), m_readBack.verification, m_message);
}

} // namespace z2e
