#include "system_commands.h"

#include <pugixml.hpp>

#include "board_documents.h"
#include "driver_config.h"
#include "enclosure_documents.h"
#include "listing_documents.h"
#include "result_codes.h"
#include "simulation_reader.h"
#include "test_documents.h"
#include "xml_util.h"

namespace zmpxi_sim {
namespace {

constexpr double kSelfTestMs = 1000.0;

// A description request is a Simulation-section fragment, a single entry, a bare KEY element
// or (for convenience) a plain model name; the entry node is copied into `holder`.
pugi::xml_node entryNode(const std::string& value, const char* listName, pugi::xml_document& holder)
{
    pugi::xml_document doc;
    if (!doc.load_string(value.c_str()))
        return pugi::xml_node();
    pugi::xml_node root = doc.document_element();
    pugi::xml_node entry;
    if (std::string(root.name()) == listName || !xml_util::startsWith(root.name(), "ID")) {
        entry = root.find_child([](pugi::xml_node n) { return xml_util::startsWith(n.name(), "ID"); });
    } else {
        entry = root;
    }
    if (!entry && std::string(root.name()) == "KEY") {
        pugi::xml_node wrapped = holder.append_child("IDDEMO");
        wrapped.append_copy(root);
        return wrapped;
    }
    return entry ? holder.append_copy(entry) : pugi::xml_node();
}

// A stand-alone board or enclosure of a model, named or given as an entry of list `listName`.
template <class Item, class Entry, class Model>
std::int32_t describe(DriverLog& log, const std::string& value, const char* listName, const char* what,
                      bool (SimulationReader::*read)(const pugi::xml_node&, Entry&, std::string&) const,
                      const Model* (*resolve)(const Entry&), std::shared_ptr<Item>& item)
{
    Entry entry;
    pugi::xml_document holder;
    if (const pugi::xml_node node = entryNode(value, listName, holder)) {
        std::string error;
        if (!(SimulationReader(SimulationReader::Mode::Fragment).*read)(node, entry, error)) {
            log.write(DriverLog::Level::Warning, std::string(what) + ": " + error);
            return rc::paramInvalid;
        }
    } else {
        entry.modelName = xml_util::trimmed(value);
    }
    const Model* model = resolve(entry);
    if (!model)
        return rc::boardNameUnknown;
    item = std::make_shared<Item>(entry, *model, -1, true, nullptr);
    return rc::ok;
}

std::int32_t documentAnswer(const std::string& document, std::string& answer)
{
    answer = document;
    return rc::ok;
}

} // namespace

SystemCommands::SystemCommands(CommandContext& context) : m_context(context) {}

std::string SystemCommands::effectiveMode(const DriverParams& params, const std::string& configuredMode)
{
    return params.simulationMode.empty() ? configuredMode : params.simulationMode;
}

std::int32_t SystemCommands::get(const std::string& target, const std::string& item, std::string& answer)
{
    if (target == "System") {
        if (item == "EnclosureCount") {
            answer = m_context.system ? m_context.system->enclosureCountText() : "0";
            return rc::ok;
        }
        if (item == "BoardCount") {
            answer = std::to_string(m_context.system ? m_context.system->boards().size() : 0);
            return rc::ok;
        }
        return rc::commandInvalid;
    }
    if (target == "System/Config")
        return item == "Path" ? documentAnswer(m_context.env.configDir, answer) : rc::commandInvalid;
    if (target == "driver/api") {
        if (item == "version")
            return documentAnswer(ListingDocuments::driverVersion(), answer);
        if (item == "SystemVersions")
            return documentAnswer(ListingDocuments::systemVersions(m_context.env.configDir), answer);
        return rc::commandInvalid;
    }
    if (target == "driver/api/config/simulation" && item == "mode") {
        const DriverConfig config = DriverConfig::load(m_context.env.configFile());
        return documentAnswer(effectiveMode(m_context.params, config.simulationMode), answer);
    }
    if (target == "driver/api/config/xml" && item == "AllowCachedMergeResult")
        return documentAnswer(m_context.params.allowCachedMerge, answer);
    if (target == "driver/api/config/thread" && item == "Enabled")
        return documentAnswer(m_context.params.threadEnabled, answer);
    if (target == "virtualboard")
        return getVirtualBoard(item, answer);
    if (target == "virtualenclosure")
        return getVirtualEnclosure(item, answer);
    return getListing(target, item, answer);
}

std::int32_t SystemCommands::getListing(const std::string& target, const std::string& item, std::string& answer)
{
    if (target == "BoardListing/Key2Name")
        return item == "Raw" ? documentAnswer(ListingDocuments::boardKey2Name(), answer) : rc::commandInvalid;
    if (target == "BoardListing/BaseEEPROM")
        return item == "entries" ? documentAnswer(ListingDocuments::baseEepromEntries(), answer) : rc::commandInvalid;
    if (target == "BoardListing/baseeeprom") {
        if (!xml_util::startsWith(item, "default/"))
            return rc::commandInvalid;
        std::int32_t result = rc::ok;
        ListingDocuments::defaultBaseEeprom(item.substr(8), answer, result);
        return result;
    }
    if (target == "EnclosureListing/Listing")
        return item == "Raw" ? documentAnswer(ListingDocuments::enclosureListing(), answer) : rc::commandInvalid;
    if (target == "EnclosureListing/Key2Name")
        return item == "Raw" ? documentAnswer(ListingDocuments::enclosureKey2Name(), answer) : rc::commandInvalid;
    if (target == "FirmwareListing")
        return item == "FileList" ? documentAnswer(ListingDocuments::firmwareListing(), answer) : rc::commandInvalid;
    return rc::targetUnknown;
}

std::int32_t SystemCommands::getVirtualBoard(const std::string& item, std::string& answer)
{
    if (item == "HardwareCheck") {
        if (m_context.virtuals.selfTestResult.empty())
            return rc::noTestData;
        return documentAnswer(m_context.virtuals.selfTestResult, answer);
    }
    const std::shared_ptr<SimBoard> board = m_context.virtuals.board;
    if (!board)
        return rc::boardNotAvailable;
    if (item == "properties") {
        BoardPlacement placement;
        placement.enclosureNo = board->entry().encNumber;
        placement.slotNo = board->entry().slotNumber;
        return documentAnswer(BoardDocuments::properties(*board, placement), answer);
    }
    if (item == "config")
        return documentAnswer(board->base().document, answer);
    if (item == "firmware") {
        std::int32_t status = rc::ok;
        answer = BoardDocuments::firmwareCheck(*board, status);
        return status;
    }
    if (item == "key")
        return documentAnswer(BoardDocuments::key(*board), answer);
    return rc::commandInvalid;
}

std::int32_t SystemCommands::getVirtualEnclosure(const std::string& item, std::string& answer)
{
    const std::shared_ptr<SimEnclosure> enclosure = m_context.virtuals.enclosure;
    if (!enclosure)
        return rc::boardNotAvailable;
    if (item == "properties")
        return documentAnswer(EnclosureDocuments::properties(*enclosure, -1, 0), answer);
    if (item == "key")
        return documentAnswer(EnclosureDocuments::key(*enclosure), answer);
    return rc::commandInvalid;
}

std::int32_t SystemCommands::set(const std::string& target, const std::string& item, const std::string& value)
{
    if (xml_util::startsWith(target, "driver/api/config/"))
        return setParameter(target, item, value);
    if (target == "virtualboard") {
        if (item == "key")
            return describeBoard(value, m_context.virtuals.board);
        if (item == "selftest") {
            std::shared_ptr<SimBoard> board;
            if (const std::int32_t result = describeBoard(value, board))
                return result;
            if (!m_context.work(kSelfTestMs))
                return rc::boardNotAvailable;
            m_context.virtuals.selfTestResult = TestDocuments::selfTest(*board, 0, "");
            return rc::ok;
        }
        return rc::commandInvalid;
    }
    if (target == "virtualenclosure")
        return item == "key" ? describeEnclosure(value, m_context.virtuals.enclosure) : rc::commandInvalid;
    return rc::targetUnknown;
}

std::int32_t SystemCommands::setParameter(const std::string& target, const std::string& item, const std::string& value)
{
    const std::string text = xml_util::trimmed(value);
    if (target == "driver/api/config/simulation" && item == "mode") {
        if (text != "SIMMODE_FORCE" && text != "SIMMODE_OFF" && text != "SIMMODE_NORMAL" && !text.empty())
            return rc::paramInvalid;
        m_context.params.simulationMode = text;
        return rc::ok;
    }
    const bool flag = xml_util::equalsNoCase(text, "true") || xml_util::equalsNoCase(text, "false");
    if (target == "driver/api/config/xml" && item == "AllowCachedMergeResult") {
        if (!flag)
            return rc::paramInvalid;
        m_context.params.allowCachedMerge = xml_util::equalsNoCase(text, "true") ? "true" : "false";
        return rc::ok;
    }
    if (target == "driver/api/config/thread" && item == "Enabled") {
        if (!flag)
            return rc::paramInvalid;
        m_context.params.threadEnabled = xml_util::equalsNoCase(text, "true") ? "true" : "false";
        return rc::ok;
    }
    return rc::commandInvalid;
}

std::int32_t SystemCommands::describeBoard(const std::string& value, std::shared_ptr<SimBoard>& board)
{
    return describe(m_context.log, value, "SimulatedBoards", "virtualboard", &SimulationReader::readBoard,
                    &SimSystem::resolveBoard, board);
}

std::int32_t SystemCommands::describeEnclosure(const std::string& value, std::shared_ptr<SimEnclosure>& enclosure)
{
    return describe(m_context.log, value, "SimulatedEnclosures", "virtualenclosure", &SimulationReader::readEnclosure,
                    &SimSystem::resolveEnclosure, enclosure);
}

} // namespace zmpxi_sim
