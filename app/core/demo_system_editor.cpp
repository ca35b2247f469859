#include "core/demo_system_editor.h"

#include "config/qorin_cfg_handler.h"
#include "core/demo_fragment_builder.h"
#include "core/demo_texts.h"
#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/node_result_text.h"
#include "core/node_tree_copy.h"
#include "core/root_node.h"
#include "core/simulated_system_converter.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "core/system_scanner.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "uni/log.h"
#include "uni/number_text.h"
#include "xpugi/element.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace z2e {
namespace {

const char* const kLogChannel = "demo";

std::size_t enclosureCount(const RootNode& root)
{
    std::size_t count = 0;
    for (const auto& child : root.children())
        count += child->nodeType == NodeType::Enclosure ? 1 : 0;
    return count;
}

const RootNode* treeRoot(const ModelNode& node)
{
    const ModelNode* top = &node;
    while (top->parent())
        top = top->parent();
    return top->nodeType == NodeType::Root ? static_cast<const RootNode*>(top) : nullptr;
}

void resetEnclosure(EnclosureNode& enclosure, const ModelPickerItem& entry)
{
    enclosure.clearChildren();
    enclosure.nodeType = NodeType::Enclosure;
    enclosure.name = "Enclosure";
    enclosure.values.clear();
    enclosure.serialNumber.clear();
    enclosure.setUnit({});
    enclosure.description.clear();
    enclosure.key = entry.description;
    enclosure.userData.clear();
    enclosure.typeCode = 0;
    enclosure.encType = 0;
    enclosure.encVersion = 0;
    enclosure.userSlotCount = -1;
    enclosure.slotNoOffset = -1;
    enclosure.propertyCount = 0;
    enclosure.options.clear();
}

void resetSlot(SlotNode& slot)
{
    slot.clearChildren();
    slot.nodeType = NodeType::EmptySlot;
    slot.values.clear();
    slot.serialNumber.clear();
    slot.setUnit({});
    slot.boardId = "0000";
    slot.boardIndex = -1;
    slot.firmwareWarning.clear();
    slot.boardKey.clear();
    slot.conSerialNumber.clear();
    slot.baseModel.clear();
    slot.baseVersion.clear();
    slot.conModel.clear();
    slot.conVersion.clear();
    slot.baseTemperature.clear();
    slot.conTemperature.clear();
    slot.baseEepromState = EepromBackupState::Healthy;
    slot.conEepromState = EepromBackupState::Healthy;
    slot.boardNames.clear();
    slot.firmwareRevision.clear();
    slot.baseRevision.clear();
    slot.conRevision.clear();
    slot.described = BoardDescriptionFacts();
}

// Text of the element at `path` below the root of an XML answer; empty for anything unusable.
std::string answerText(const std::string& answer, const char* path)
{
    pugi::xml_document document;
    if (!DescriptionParser::parseXml(answer, document))
        return {};
    return xpugi::elementText(document.document_element().first_element_by_path(path));
}

bool isKeyElement(const std::string& text)
{
    pugi::xml_document document;
    return DescriptionParser::parseXml(text, document) && std::strcmp(document.document_element().name(), "KEY") == 0;
}

// Records of a hardware tree. An enclosure whose driver gave no KEY gets one made from its
// description, so that the driver can describe it again as a simulated one.
SimulatedSystem hardwareRecords(const RootNode& root)
{
    SimulatedSystem system = SimulatedSystemConverter::toRecords(root);
    std::size_t position = 0;
    for (const auto& child : root.children()) {
        const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get());
        if (!enclosure)
            continue;
        SimulatedEnclosureEntry& record = system.enclosures[position++];
        if (isKeyElement(record.key))
            continue;
        pugi::xml_document description;
        if (!DescriptionParser::parseXml(enclosure->description, description))
            continue;
        pugi::xml_node info = description.document_element();
        if (std::strcmp(info.name(), "EnclosureInfo") != 0)
            info = info.child("EnclosureInfo");
        if (info)
            record.key = QorinCfgHandler::hardwareEnclosureKey(info);
    }
    return system;
}

// A configuration document of our own to try an operation on before the real one is touched.
bool scratchCopy(const QorinCfgHandler& source, QorinCfgHandler& scratch)
{
    const std::string text = xpugi::printNode(source.document());
    return scratch.loadConfigFromBuffer(text.data(), text.size());
}

// The property row `name` directly below `node`, or null.
ModelNode* rowNamed(const ModelNode& node, const char* name)
{
    for (const auto& child : node.children()) {
        if (child->name == name && child->nodeType != NodeType::BoardSlot && child->nodeType != NodeType::EmptySlot)
            return child.get();
    }
    return nullptr;
}

void setRow(ModelNode* row, std::int64_t value)
{
    if (row)
        row->values.assign(1, std::to_string(value));
}

} // namespace

/// The demo system as it was before an edit.
struct DemoSystemEditor::UndoStep {
    std::vector<std::unique_ptr<ModelNode>> nodes; ///< the demo root's children
    pugi::xml_document document;
    bool unsaved = false;
    bool systemUnsaved = false;
    bool savedSince = false; ///< the configuration was saved after the edit
};

DemoSystemEditor::DemoSystemEditor(SystemModel& system) : m_system(system) {}

DemoSystemEditor::~DemoSystemEditor() = default;

// ---- Buttons ----

std::int32_t DemoSystemEditor::add(ModelNode& node, const ModelPickerItem& entry)
{
    if (treeRoot(node) != &m_system.demoRoot())
        return fail(DemoStatus::NotEditable, "not a node of the demo system");
    switch (node.nodeType) {
    case NodeType::Root: return addEnclosure(entry);
    case NodeType::Enclosure: return changeEnclosureType(static_cast<EnclosureNode&>(node), entry);
    case NodeType::BoardSlot:
    case NodeType::EmptySlot: return putBoard(static_cast<SlotNode&>(node), entry);
    default: return fail(DemoStatus::NotEditable, "nothing to add to this row");
    }
}

std::int32_t DemoSystemEditor::remove(ModelNode& node)
{
    if (treeRoot(node) != &m_system.demoRoot())
        return fail(DemoStatus::NotEditable, "not a node of the demo system");
    switch (node.nodeType) {
    case NodeType::Enclosure: return removeEnclosure(node.number);
    case NodeType::BoardSlot: return removeBoard(static_cast<SlotNode&>(node));
    default: return fail(DemoStatus::NotEditable, "nothing to remove on this row");
    }
}

std::string DemoSystemEditor::addProgressText(std::uint32_t nodeType)
{
    switch (nodeType) {
    case NodeType::Root: return DemoTexts::kAddingEnclosure;
    case NodeType::Enclosure: return DemoTexts::kChangingEnclosureType;
    case NodeType::BoardSlot:
    case NodeType::EmptySlot: return DemoTexts::kAddingBoard;
    default: return {};
    }
}

std::string DemoSystemEditor::removeProgressText(std::uint32_t nodeType)
{
    switch (nodeType) {
    case NodeType::Enclosure: return DemoTexts::kRemovingEnclosure;
    case NodeType::BoardSlot: return DemoTexts::kRemovingBoard;
    default: return {};
    }
}

// ---- Single edits ----

std::int32_t DemoSystemEditor::addEnclosure(const ModelPickerItem& entry, EnclosureNode** added)
{
    if (entry.kind != PickerKind::Enclosure)
        return fail(DemoStatus::NotEditable, "'" + entry.name + "' is no enclosure type");
    beginEdit();
    RootNode& root = m_system.demoRoot();
    const auto number = static_cast<std::int32_t>(enclosureCount(root));
    auto* enclosure = static_cast<EnclosureNode*>(root.addChild(std::make_unique<EnclosureNode>(root.systemKind)));
    resetEnclosure(*enclosure, entry);
    enclosure->index = number;
    enclosure->number = number;
    if (added)
        *added = enclosure;
    std::string fragment;
    std::int32_t status = DemoFragmentBuilder::enclosure(entry.description, "", "", fragment);
    if (status == DemoStatus::Ok)
        status = describeEnclosure(*enclosure, fragment, entry.description);
    if (enclosure->values.empty() || enclosure->values.front().empty())
        enclosure->values.assign(1, entry.name);
    return finish(status, true);
}

std::int32_t DemoSystemEditor::changeEnclosureType(EnclosureNode& enclosure, const ModelPickerItem& entry)
{
    if (enclosure.parent() != &m_system.demoRoot())
        return fail(DemoStatus::NotEditable, "not an enclosure of the demo system");
    if (entry.kind != PickerKind::Enclosure)
        return fail(DemoStatus::NotEditable, "'" + entry.name + "' is no enclosure type");
    beginEdit();
    resetEnclosure(enclosure, entry);
    std::string fragment;
    std::int32_t status = DemoFragmentBuilder::enclosure(entry.description, "", "", fragment);
    if (status == DemoStatus::Ok)
        status = describeEnclosure(enclosure, fragment, entry.description);
    if (enclosure.values.empty() || enclosure.values.front().empty())
        enclosure.values.assign(1, entry.name);
    return finish(status, true);
}

std::int32_t DemoSystemEditor::putBoard(SlotNode& slot, const ModelPickerItem& entry)
{
    if (!slot.parent() || slot.parent()->parent() != &m_system.demoRoot())
        return fail(DemoStatus::NotEditable, "not a slot of the demo system");
    if (entry.kind != PickerKind::Board)
        return fail(DemoStatus::NotEditable, "'" + entry.name + "' is no board model");
    beginEdit();
    resetSlot(slot);
    slot.nodeType = NodeType::BoardSlot;
    slot.boardNames.assign(1, entry.name);
    slot.values.assign(1, entry.name);
    slot.boardKey = entry.description;

    SimulatedBoardEntry board;
    board.key = entry.description;
    std::string fragment;
    std::int32_t status = DemoFragmentBuilder::board(board, fragment);
    if (status == DemoStatus::Ok)
        status = describeBoard(slot, fragment);
    return finish(status, true);
}

std::int32_t DemoSystemEditor::removeBoard(SlotNode& slot)
{
    if (!slot.parent() || slot.parent()->parent() != &m_system.demoRoot())
        return fail(DemoStatus::NotEditable, "not a slot of the demo system");
    beginEdit();
    resetSlot(slot);
    return finish(DemoStatus::Ok, true);
}

std::int32_t DemoSystemEditor::removeEnclosure(std::int32_t enclosureNumber)
{
    if (!enclosureAt(enclosureNumber))
        return fail(DemoStatus::NoSuchElement, "no enclosure " + std::to_string(enclosureNumber));
    beginEdit();
    RootNode& root = m_system.demoRoot();
    bool removed = false;
    for (std::size_t i = 0; i < root.childCount() && !removed; ++i) {
        const ModelNode* child = root.childAt(i);
        if (child->nodeType == NodeType::Enclosure && child->number == enclosureNumber)
            removed = root.removeChild(i);
    }
    if (!removed)
        return fail(DemoStatus::NoSuchElement, "no enclosure " + std::to_string(enclosureNumber));
    std::int32_t number = 0;
    for (const auto& child : root.children()) {
        if (child->nodeType != NodeType::Enclosure)
            continue;
        child->index = number;
        child->number = number++;
    }
    return finish(DemoStatus::Ok, true);
}

// ---- Whole systems and files ----

bool DemoSystemEditor::canImportLocalHardware() const
{
    return m_system.localHardwarePresent();
}

std::int32_t DemoSystemEditor::importLocalHardware()
{
    if (!canImportLocalHardware())
        return fail(DemoStatus::NoHardwareToImport, DemoTexts::kNoHardwareToImport);
    return importHardware(m_system.localRoot());
}

std::int32_t DemoSystemEditor::readNodeHardware(QorinNodeUtilWrapper& node, RootNode& hardware, std::string& detail)
{
    hardware.clear();
    // Asked first on its own: a node that does not answer is no node without enclosures.
    std::string answer;
    const std::int32_t asked = node.getParamStructStr("System", "EnclosureCount", answer);
    if (asked > 0) {
        detail = "the network node could not be read: " + failureWords(asked, &node);
        return DemoStatus::HardwareImportFailed;
    }
    std::int32_t enclosures = 0;
    if (!uni::text::parseSignedDecimal(answer, enclosures) || enclosures <= 0) {
        detail = "the network node names no enclosure";
        return DemoStatus::NoHardwareToImport;
    }
    return SystemScanner(node).scan(hardware);
}

std::int32_t DemoSystemEditor::importHardware(const RootNode& hardware)
{
    if (enclosureCount(hardware) == 0)
        return finish(DemoStatus::Ok, false);
    const SimulatedSystem records = hardwareRecords(hardware);

    // The copy is made exactly: old entries that happen to match would keep old values.
    QorinCfgHandler scratch;
    RootNode fresh(SystemKind::Demo);
    if (!scratchCopy(m_system.configHandler(), scratch) || !scratch.writeSimulatedSystem(SimulatedSystem()) ||
        !scratch.writeSimulatedSystem(records))
        return fail(DemoStatus::HardwareImportFailed, "the configuration has no simulation section");
    if (buildFromConfiguration(scratch, fresh) != DemoStatus::Ok)
        return fail(DemoStatus::HardwareImportFailed, m_lastError);

    beginEdit();
    QorinCfgHandler& config = m_system.configHandler();
    config.writeSimulatedSystem(SimulatedSystem());
    config.writeSimulatedSystem(records);
    adoptTree(fresh);
    return finish(DemoStatus::Ok, true);
}

std::int32_t DemoSystemEditor::loadDemoFile(const std::string& path, bool acceptConfiguration)
{
    const auto import = [&path, acceptConfiguration](QorinCfgHandler& config, std::string& why) {
        return acceptConfiguration ? config.importSimulationOrConfiguration(path, &why)
                                   : config.importSimulation(path, &why);
    };
    QorinCfgHandler scratch;
    RootNode fresh(SystemKind::Demo);
    std::string why;
    if (!scratchCopy(m_system.configHandler(), scratch) || import(scratch, why) != 1)
        return fail(DemoStatus::SimulationLoadFailed, "demo file " + path + ": " + why);
    if (buildFromConfiguration(scratch, fresh) != DemoStatus::Ok)
        return fail(DemoStatus::SimulationLoadFailed, "demo file " + path + ": " + m_lastError);
    // Read once more for the real document: it stays unchanged if the file went meanwhile.
    beginEdit();
    if (import(m_system.configHandler(), why) != 1)
        return fail(DemoStatus::SimulationLoadFailed, "demo file " + path + ": " + why);
    adoptTree(fresh);
    return finish(DemoStatus::Ok, true);
}

std::int32_t DemoSystemEditor::saveDemoFile(const std::string& path, bool replace)
{
    return saveTreeToFile(m_system.demoRoot(), path, false, replace);
}

std::int32_t DemoSystemEditor::saveLocalSystemFile(const std::string& path, bool replace)
{
    return saveTreeToFile(m_system.localRoot(), path, true, replace);
}

std::int32_t DemoSystemEditor::saveTreeToFile(const RootNode& root, const std::string& path, bool scratch, bool replace)
{
    if (path.empty())
        return fail(DemoStatus::DemoFileNotSaved, "no file name");
    QorinCfgHandler copy;
    QorinCfgHandler* config = &m_system.configHandler();
    SimulatedSystem records = SimulatedSystemConverter::toRecords(root);
    if (scratch) {
        // The local system goes to the file only; the configuration keeps the demo system.
        if (!scratchCopy(*config, copy) || !copy.writeSimulatedSystem(SimulatedSystem()))
            return fail(DemoStatus::DemoFileNotSaved, "the configuration has no simulation section");
        records = hardwareRecords(root);
        config = &copy;
    }
    if (!config->writeSimulatedSystem(records))
        return fail(DemoStatus::DemoFileNotSaved, "the configuration has no simulation section");
    std::string why;
    bool refused = false;
    if (!config->exportSimulation(path, nullptr, replace, &why, &refused))
        return fail(refused ? DemoStatus::DemoFileRefused : DemoStatus::DemoFileNotSaved,
                    why.empty() ? "cannot write " + path : why);
    return finish(DemoStatus::Ok, false);
}

std::int32_t DemoSystemEditor::saveConfiguration(const DriverLogSettings* windowSettings, const std::string& path)
{
    DriverLogSettings& settings = m_system.logSettings();
    if (windowSettings) {
        settings.fileName = windowSettings->fileName;
        settings.level = windowSettings->level;
        settings.type = windowSettings->type;
        settings.append = windowSettings->append;
    }
    const std::string target = path.empty() ? m_system.configFilePath() : path;
    if (target.empty())
        return fail(DemoStatus::ConfigurationNotSaved, "the driver did not name its configuration file");
    QorinCfgHandler& config = m_system.configHandler();
    config.writeLoggerSettings(&settings);
    if (!config.writeSimulatedSystem(SimulatedSystemConverter::toRecords(m_system.demoRoot())))
        UNI_LOG(kLogChannel, uni::log::warning) << "configuration without simulation section: demo system not kept";
    std::string why;
    if (!config.saveConfig(target, &why))
        return fail(DemoStatus::ConfigurationNotSaved,
                    "cannot write " + target + " (" + why + "); the file there is unchanged");
    m_unsaved = false;
    m_system.setUnsavedChanges(false);
    if (m_undo)
        m_undo->savedSince = true;
    return finish(DemoStatus::Ok, false);
}

// ---- Undo ----

std::int32_t DemoSystemEditor::undo()
{
    if (!m_undo)
        return fail(DemoStatus::NothingToUndo, "nothing to undo");
    const std::unique_ptr<UndoStep> step = std::move(m_undo);
    RootNode& demo = m_system.demoRoot();
    demo.clear();
    for (auto& node : step->nodes)
        demo.addChild(std::move(node));
    m_system.configHandler().replaceDocument(step->document);
    // Saved since: the file holds the edit, so memory differs from it now.
    m_unsaved = step->unsaved || step->savedSince;
    m_system.setUnsavedChanges(step->systemUnsaved && !step->savedSince);
    refreshOverview();
    m_lastError.clear();
    return DemoStatus::Ok;
}

void DemoSystemEditor::beginEdit()
{
    m_pending = snapshot();
}

void DemoSystemEditor::keepForUndo()
{
    m_undo = snapshot();
    m_pending.reset();
}

std::unique_ptr<DemoSystemEditor::UndoStep> DemoSystemEditor::snapshot() const
{
    auto step = std::make_unique<UndoStep>();
    for (const auto& child : m_system.demoRoot().children())
        step->nodes.push_back(NodeTreeCopy::copy(*child));
    step->document.reset(m_system.configHandler().document());
    step->unsaved = m_unsaved;
    step->systemUnsaved = m_system.hasUnsavedChanges();
    return step;
}

// ---- State ----

bool DemoSystemEditor::hasUnsavedChanges() const
{
    return m_unsaved || m_system.hasUnsavedChanges();
}

bool DemoSystemEditor::needsSaveOnClose(const DriverLogSettings& windowSettings) const
{
    if (hasUnsavedChanges())
        return true;
    DriverLogSettings stored;
    m_system.configHandler().readLoggerSettings(&stored);
    return stored.fileName != windowSettings.fileName || stored.level != windowSettings.level ||
           stored.type != windowSettings.type || stored.append != windowSettings.append;
}

std::string DemoSystemEditor::configFolder() const
{
    return std::filesystem::path(m_system.configFilePath()).parent_path().generic_string();
}

std::int32_t DemoSystemEditor::fillPicker(std::uint32_t nodeType)
{
    return m_picker.fill(m_system.wrapper(), nodeType);
}

// ---- Lookups ----

EnclosureNode* DemoSystemEditor::enclosureAt(std::int32_t number) const
{
    for (const auto& child : m_system.demoRoot().children()) {
        if (child->nodeType == NodeType::Enclosure && child->number == number)
            return static_cast<EnclosureNode*>(child.get());
    }
    return nullptr;
}

SlotNode* DemoSystemEditor::slotAt(std::int32_t enclosureNumber, std::int32_t slotNumber) const
{
    const EnclosureNode* enclosure = enclosureAt(enclosureNumber);
    if (!enclosure)
        return nullptr;
    for (std::size_t i = 0; i < enclosure->slotCount(); ++i) {
        SlotNode* slot = enclosure->slotAt(i);
        if (slot && enclosure->slotNumber(slot->index) == slotNumber)
            return slot;
    }
    return nullptr;
}

SlotNode* DemoSystemEditor::nextSlot(const SlotNode& slot)
{
    const auto* enclosure = dynamic_cast<const EnclosureNode*>(slot.parent());
    if (!enclosure)
        return nullptr;
    for (std::size_t i = 0; i + 1 < enclosure->slotCount(); ++i) {
        if (enclosure->slotAt(i) == &slot)
            return enclosure->slotAt(i + 1);
    }
    return nullptr;
}

std::size_t DemoSystemEditor::boardCount(const EnclosureNode& enclosure)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < enclosure.slotCount(); ++i) {
        const SlotNode* slot = enclosure.slotAt(i);
        count += slot && slot->holdsBoard() ? 1 : 0;
    }
    return count;
}

DemoSystemEditor::SystemSize DemoSystemEditor::sizeOf(const RootNode& root)
{
    SystemSize size;
    for (const auto& child : root.children()) {
        if (const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get())) {
            ++size.enclosures;
            size.boards += boardCount(*enclosure);
        }
    }
    return size;
}

// ---- Private ----

void DemoSystemEditor::keepLocationRowsTrue()
{
    // The driver describes a demo element on its own, without its place: an added enclosure
    // says "EnclosureNo" -1 and "BoardCount" 0, a renumbered one keeps its old number.
    for (const auto& child : m_system.demoRoot().children()) {
        auto* enclosure = dynamic_cast<EnclosureNode*>(child.get());
        if (!enclosure)
            continue;
        setRow(rowNamed(*enclosure, "EnclosureNo"), enclosure->number);
        setRow(rowNamed(*enclosure, "BoardCount"), static_cast<std::int64_t>(boardCount(*enclosure)));
        for (std::size_t i = 0; i < enclosure->slotCount(); ++i) {
            const SlotNode* slot = enclosure->slotAt(i);
            const ModelNode* location = slot && slot->holdsBoard() ? rowNamed(*slot, "BoardLocation") : nullptr;
            if (!location)
                continue;
            setRow(rowNamed(*location, "EnclosureNo"), enclosure->number);
            setRow(rowNamed(*location, "SlotNo"), enclosure->slotNumber(slot->index));
        }
    }
}

std::int32_t DemoSystemEditor::describeEnclosure(EnclosureNode& enclosure, const std::string& fragment,
                                                 const std::string& encNameText)
{
    std::string properties;
    const std::int32_t result = m_system.wrapper().describeVirtualEnclosure(fragment, properties);
    if (result > 0) {
        m_lastError = "the driver cannot describe enclosure " + std::to_string(enclosure.number);
        return result;
    }
    const std::int32_t parsed =
        DescriptionParser::parseEnclosureDescription(&enclosure, enclosure.number, properties, encNameText, false);
    if (parsed != DescriptionParser::Ok)
        m_lastError = "description of enclosure " + std::to_string(enclosure.number) + " not usable";
    return parsed;
}

std::int32_t DemoSystemEditor::describeBoard(SlotNode& slot, const std::string& fragment)
{
    std::string properties;
    std::string config;
    std::string firmware;
    const std::int32_t result = m_system.wrapper().describeVirtualBoard(fragment, properties, config, firmware);
    const std::string where = slot.boardNames.empty() ? std::string("board") : slot.boardNames.front();
    if (result > 0) {
        m_lastError = "the driver cannot describe " + where;
        return result;
    }
    std::string caption;
    const std::int32_t parsed = DescriptionParser::parseBoardDescription(&slot, properties, caption);
    if (parsed != DescriptionParser::Ok) {
        m_lastError = "description of " + where + " not usable";
        return parsed;
    }
    const std::string installed = answerText(firmware, "InstalledVersion");
    if (!installed.empty())
        slot.firmwareRevision = installed;
    slot.baseRevision = answerText(config, "SVNRevision");
    return DemoStatus::Ok;
}

std::int32_t DemoSystemEditor::buildFromConfiguration(QorinCfgHandler& config, RootNode& root)
{
    std::vector<SimulatedEnclosureEntry> enclosures;
    std::vector<SimulatedBoardEntry> boards;
    if (!config.readSimulatedEnclosures(enclosures) || !config.readSimulatedBoards(boards)) {
        m_lastError = "no simulated enclosures or boards section";
        return DemoStatus::SimulationLoadFailed;
    }
    SimulatedSystemConverter::fromRecords(enclosures, boards, root);

    // The entries describe themselves only in part: the driver fills in the rest.
    for (std::size_t e = 0; e < enclosures.size(); ++e) {
        auto* enclosure = dynamic_cast<EnclosureNode*>(root.childAt(e));
        if (!enclosure)
            return DemoStatus::InternalError;
        while (enclosure->propertyCount > 0 && enclosure->removeChild(0))
            --enclosure->propertyCount;
        enclosure->values.clear();
        std::string fragment;
        std::int32_t status = DemoFragmentBuilder::storedEnclosure(enclosures[e], fragment);
        if (status == DemoStatus::Ok)
            status = describeEnclosure(*enclosure, fragment, enclosures[e].entryXml);
        if (status != DemoStatus::Ok)
            return status;
        enclosure->serialNumber = enclosures[e].serialNumber;
        enclosure->userData = enclosures[e].userData;
    }
    for (const auto& child : root.children()) {
        const auto* enclosure = static_cast<const EnclosureNode*>(child.get());
        for (std::size_t i = 0; i < enclosure->slotCount(); ++i) {
            SlotNode* slot = enclosure->slotAt(i);
            if (!slot || !slot->holdsBoard() || slot->boardIndex < 0 ||
                static_cast<std::size_t>(slot->boardIndex) >= boards.size())
                continue;
            std::string fragment;
            std::int32_t status =
                DemoFragmentBuilder::board(boards[static_cast<std::size_t>(slot->boardIndex)], fragment);
            if (status == DemoStatus::Ok)
                status = describeBoard(*slot, fragment);
            if (status != DemoStatus::Ok)
                return status;
        }
    }
    return DemoStatus::Ok;
}

void DemoSystemEditor::adoptTree(RootNode& from)
{
    RootNode& demo = m_system.demoRoot();
    demo.clear();
    while (from.childCount() > 0)
        demo.addChild(from.takeChild(0));
}

void DemoSystemEditor::refreshOverview()
{
    RootNode& demo = m_system.demoRoot();
    demo.resetOverview();
    for (const auto& child : demo.children()) {
        const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get());
        for (std::size_t i = 0; enclosure && i < enclosure->slotCount(); ++i) {
            const SlotNode* slot = enclosure->slotAt(i);
            if (slot && slot->holdsBoard() && slot->described.parsed)
                demo.addBoardRow(DescriptionParser::overviewRow(*slot), *slot);
        }
    }
}

std::int32_t DemoSystemEditor::finish(std::int32_t status, bool changed)
{
    if (changed) {
        m_unsaved = true;
        if (m_pending)
            m_undo = std::move(m_pending);
        keepLocationRowsTrue();
        refreshOverview();
    }
    m_pending.reset();
    if (status == DemoStatus::Ok)
        m_lastError.clear();
    else
        UNI_LOG(kLogChannel, uni::log::warning) << "demo edit: " << status << " " << m_lastError;
    return status;
}

std::int32_t DemoSystemEditor::fail(std::int32_t status, const std::string& detail)
{
    m_pending.reset();
    m_lastError = detail;
    UNI_LOG(kLogChannel, uni::log::warning) << "demo edit failed: " << status << " " << detail;
    return status;
}

} // namespace z2e
