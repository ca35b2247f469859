#include "config/qorin_cfg_handler.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "config/atomic_file_writer.h"
#include "config/output_destination.h"
#include "config/bounded_file_reader.h"
#include "config/check_diagnostics.h"
#include "uni/number_text.h"
#include "config/qorin_cfg_check.h"
#include "config/qorin_cfg_template.h"
#include "uni/log.h"
#include "xpugi/element.h"
#include "xpugi/untrusted_parse.h"

namespace z2e {

const char* const QorinCfgHandler::kConfigFileName = "zmpxi_api_config.xml";
const char* const QorinCfgHandler::kRootElement = "zmpxi_api_config";
const std::size_t QorinCfgHandler::kMaxDocumentSize = 64u * 1024u * 1024u;
const std::size_t QorinCfgHandler::kMaxNesting = 64;

namespace {

const char* const kChannel = "cfg";
const char* const kEnclosuresPath = "Configuration/Simulation/SimulatedEnclosures";
const char* const kBoardsPath = "Configuration/Simulation/SimulatedBoards";
const unsigned kFileParseOptions = pugi::parse_default | pugi::parse_comments;
const unsigned kDemoParseOptions = pugi::parse_default;
// Findings quoted in the log when a file is rejected; the rest are only counted.
const std::size_t kLoggedFindings = 5;

bool equalsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool isEntry(const pugi::xml_node& node)
{
    return node.type() == pugi::node_element && std::strncmp(node.name(), "ID", 2) == 0;
}

std::string entryName(std::size_t index)
{
    return "ID" + std::to_string(index);
}

std::string hex8(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIX32, value);
    return text;
}

// Element names built from driver data must not break the document.
bool isXmlName(const std::string& name)
{
    if (name.empty() || name.size() > 256) {
        return false;
    }
    const unsigned char first = static_cast<unsigned char>(name[0]);
    if (!std::isalpha(first) && first != '_') {
        return false;
    }
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && u != '_' && u != '-' && u != '.') {
            return false;
        }
    }
    return true;
}

pugi::xml_node appendText(pugi::xml_node parent, const char* name, const std::string& text)
{
    pugi::xml_node child = parent.append_child(name);
    xpugi::setElementText(child, text);
    return child;
}

pugi::xml_node childOrAppend(pugi::xml_node parent, const char* name)
{
    pugi::xml_node child = parent.child(name);
    return child ? child : parent.append_child(name);
}

void appendNamedValues(pugi::xml_node parent, const std::vector<SimulatedNamedValue>& values)
{
    for (const SimulatedNamedValue& value : values) {
        if (!isXmlName(value.name)) {
            UNI_LOG(kChannel, uni::log::warning)
                << "Skipping simulation value with unusable name '" << value.name << "'";
            continue;
        }
        appendText(parent, value.name.c_str(), value.value);
    }
}

// Parses a KEY text into holder; returns its root element renamed to KEY, or null.
pugi::xml_node parseKey(const std::string& text, pugi::xml_document& holder)
{
    if (text.empty() || !xpugi::parseUntrusted(holder, text, kDemoParseOptions)) {
        return pugi::xml_node();
    }
    pugi::xml_node key = holder.document_element();
    if (key) {
        key.set_name("KEY");
    }
    return key;
}

void appendKey(pugi::xml_node entry, const std::string& keyText)
{
    pugi::xml_document holder;
    const pugi::xml_node key = parseKey(keyText, holder);
    if (!key) {
        UNI_LOG(kChannel, uni::log::warning)
            << "Description of " << entry.name() << " does not parse; entry written without KEY";
        return;
    }
    entry.append_copy(key);
}

bool readInt(const pugi::xml_node& parent, const char* name, std::int32_t& value)
{
    return uni::text::parseSignedDecimal(xpugi::elementText(parent.child(name)), value);
}

std::int32_t intOrZero(const pugi::xml_node& parent, const char* name)
{
    std::int32_t value = 0;
    return readInt(parent, name, value) ? value : 0;
}

std::uint32_t hexOrZero(const std::string& text)
{
    // Bare digits only: a "0x" here is no hexadecimal number.
    std::uint32_t value = 0;
    if (text.find_first_of("xX") != std::string::npos || !uni::text::parseHex32(text, value))
        return 0;
    return value;
}

std::vector<SimulatedNamedValue> namedValues(const pugi::xml_node& parent, const std::set<std::string>& except)
{
    std::vector<SimulatedNamedValue> values;
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() == pugi::node_element && except.count(child.name()) == 0) {
            values.push_back(SimulatedNamedValue{child.name(), xpugi::elementText(child)});
        }
    }
    return values;
}

void removeEntries(pugi::xml_node section, const std::set<std::string>& keep = std::set<std::string>())
{
    pugi::xml_node child = section.first_child();
    while (child) {
        const pugi::xml_node next = child.next_sibling();
        if (isEntry(child) && keep.count(child.name()) == 0) {
            section.remove_child(child);
        }
        child = next;
    }
}

void renumberEntries(pugi::xml_node section)
{
    std::size_t index = 0;
    for (pugi::xml_node child : section.children()) {
        if (isEntry(child)) {
            child.set_name(entryName(index++).c_str());
        }
    }
}

bool removeBoardAt(pugi::xml_node boards, std::int32_t encNumber, std::int32_t slotNumber)
{
    for (const pugi::xml_node& entry : boards.children()) {
        std::int32_t enc = 0;
        std::int32_t slot = 0;
        if (isEntry(entry) && readInt(entry, "EncNumber", enc) && readInt(entry, "SlotNumber", slot) &&
            enc == encNumber && slot == slotNumber) {
            boards.remove_child(entry);
            return true;
        }
    }
    return false;
}

bool sameBoardModel(const pugi::xml_node& storedKey, const std::string& keyText)
{
    pugi::xml_document holder;
    const pugi::xml_node key = parseKey(keyText, holder);
    if (!key || !storedKey) {
        return false;
    }
    for (const char* name : {"BaseModel", "BaseVersion", "ConModel", "ConVersion", "FeatureSet"}) {
        if (!equalsNoCase(xpugi::attributeValue(storedKey, name), xpugi::attributeValue(key, name))) {
            return false;
        }
    }
    return true;
}

void writeEnclosureEntry(pugi::xml_node entry, const SimulatedEnclosureEntry& enclosure)
{
    xpugi::removeChildren(entry);
    appendKey(entry, enclosure.key);
    appendText(entry, "SerialNumber", enclosure.serialNumber);
    appendText(entry, "UserData", enclosure.userData);
    appendText(entry, "EncType", std::to_string(enclosure.encType));
    appendText(entry, "EncVersion", std::to_string(enclosure.encVersion));
    appendNamedValues(entry, enclosure.options);
}

void writeBoardEntry(pugi::xml_node entry, const SimulatedBoardEntry& board, std::size_t encNumber, int slotNumber,
                     std::size_t boardIndex)
{
    xpugi::removeChildren(entry);
    appendKey(entry, board.key);
    appendText(entry, "EncNumber", std::to_string(encNumber));
    appendText(entry, "SlotNumber", std::to_string(slotNumber));
    appendText(entry, "FWRevision", board.firmwareRevision);
    appendText(entry, "SerialNumber",
               board.serialNumber.empty() ? hex8(static_cast<std::uint32_t>(boardIndex)) : board.serialNumber);
    appendText(entry, "ConSerialNumber", board.conSerialNumber.empty() ? "00000000" : board.conSerialNumber);
}

void writeChannelModules(pugi::xml_node entry, const std::vector<SimulatedNamedValue>& modules)
{
    if (modules.empty()) {
        entry.remove_child("ChannelModules");
        return;
    }
    pugi::xml_node list = childOrAppend(entry, "ChannelModules");
    xpugi::removeChildren(list);
    appendNamedValues(list, modules);
}

std::string boardName(const pugi::xml_node& key)
{
    const std::string displayName = xpugi::elementText(key.child("DisplayName"));
    if (!displayName.empty()) {
        return displayName;
    }
    std::string name = xpugi::elementText(key.child("FamilyName"));
    const std::string type = xpugi::elementText(key.child("Type"));
    if (!type.empty()) {
        name += "-" + type;
    }
    const std::string conBv = xpugi::elementText(key.child("ConBv"));
    if (!conBv.empty()) {
        name += "." + conBv;
    }
    return name;
}

std::string printDocument(const pugi::xml_document& doc)
{
    struct Writer : pugi::xml_writer {
        void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
        std::string out;
    } writer;
    doc.save(writer, "\t", pugi::format_indent, pugi::encoding_utf8);
    return writer.out;
}

void logFindings(const CheckDiagnostics& diagnostics)
{
    const auto& findings = diagnostics.findings();
    for (std::size_t i = 0; i < findings.size() && i < kLoggedFindings; ++i) {
        UNI_LOG(kChannel, uni::log::info) << "  " << findings[i].path << ": " << findings[i].reason;
    }
    if (diagnostics.total() > kLoggedFindings) {
        UNI_LOG(kChannel, uni::log::info) << "  ... and " << (diagnostics.total() - kLoggedFindings) << " more";
    }
}

std::string timestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool samePath(const std::string& a, const std::string& b)
{
    if (a == b) {
        return true;
    }
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

} // namespace

QorinCfgHandler::QorinCfgHandler() : m_check(std::make_shared<QorinCfgCheck>()) {}

QorinCfgHandler::~QorinCfgHandler() = default;

const char* QorinCfgHandler::templateText()
{
    return qorinCfgTemplate();
}

bool QorinCfgHandler::nestingAcceptable(const pugi::xml_node& document)
{
    // Iterative and stopping at the limit: a hostile file of any depth costs one walk. The
    // root element is level 1; kMaxNesting levels may lie below it.
    std::size_t level = 1;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element && level > kMaxNesting + 1)
            return false;
        if (node.first_child()) {
            node = node.first_child();
            ++level;
            continue;
        }
        while (!node.next_sibling()) {
            node = node.parent();
            --level;
            if (!node || node == document)
                return true;
        }
        node = node.next_sibling();
    }
    return true;
}

bool QorinCfgHandler::loadConfig(const std::string& path)
{
    // A save killed part-way left its temporary file beside the configuration.
    AtomicFileWriter::removeStaleTemporaries(path);
    std::string text;
    std::string error;
    const auto status = BoundedFileReader::read(path, kMaxDocumentSize, text, &error);
    if (status == BoundedFileReader::Status::Missing) {
        UNI_LOG(kChannel, uni::log::info)
            << "Driver configuration " << path << " is missing (" << error << "); using the built-in template";
        m_doc.reset();
        m_path = path;
        m_keepInvalidFile = false;
        m_invalidReason.clear();
        return loadTemplate();
    }
    if (status != BoundedFileReader::Status::Ok) {
        m_doc.reset();
        m_path = path;
        return fallBack(std::string(BoundedFileReader::statusText(status)) + " (" + error + ")");
    }
    return loadConfigFromBuffer(text.data(), text.size(), path);
}

bool QorinCfgHandler::loadConfigFromBuffer(const void* data, std::size_t size, const std::string& path)
{
    m_doc.reset();
    m_path = path;
    m_keepInvalidFile = false;
    m_invalidReason.clear();
    if (size > kMaxDocumentSize)
        return fallBack("too large (" + std::to_string(size) + " bytes)");
    const xpugi::UntrustedParse parsed =
        xpugi::parseUntrusted(m_doc, static_cast<const char*>(data), size, kFileParseOptions);
    if (parsed.tooManyNodes)
        return fallBack(tooManyNodesReason("driver configuration"));
    if (!parsed)
        return fallBack("not XML: " + parseErrorText(parsed.result, std::string(static_cast<const char*>(data), size)));
    if (!nestingAcceptable(m_doc))
        return fallBack("elements nested deeper than " + std::to_string(kMaxNesting) + " levels");
    CheckDiagnostics diagnostics;
    if (m_check->checkDocument(m_doc, &diagnostics)) {
        return true;
    }
    logFindings(diagnostics);
    std::string reason = "fails validation";
    if (!diagnostics.findings().empty())
        reason += ": " + diagnostics.findings().front().path + ": " + diagnostics.findings().front().reason;
    if (diagnostics.total() > 1)
        reason += " (and " + std::to_string(diagnostics.total() - 1) + " more)";
    return fallBack(reason);
}

bool QorinCfgHandler::fallBack(const std::string& reason)
{
    UNI_LOG(kChannel, uni::log::warning) << "Driver configuration " << m_path << " is " << reason
                                         << "; using the built-in template";
    m_keepInvalidFile = true;
    m_invalidReason = reason;
    return loadTemplate();
}

std::string QorinCfgHandler::tooManyNodesReason(const std::string& kind)
{
    return xpugi::tooManyNodesText() + ", far more than any " + kind + " holds; not read";
}

std::string QorinCfgHandler::parseErrorText(const pugi::xml_parse_result& result, const std::string& text)
{
    // pugixml reports a byte offset; people look for lines and columns.
    std::size_t line = 1;
    std::size_t column = 1;
    const std::size_t end = result.offset < 0 ? 0 : std::min(static_cast<std::size_t>(result.offset), text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::string(result.description()) + " at line " + std::to_string(line) + ", column " +
           std::to_string(column);
}

bool QorinCfgHandler::loadTemplate()
{
    m_doc.reset();
    if (!m_doc.load_string(qorinCfgTemplate(), kFileParseOptions)) {
        UNI_LOG(kChannel, uni::log::error) << "Built-in driver configuration template does not parse";
        return false;
    }
    if (!m_check->checkDocument(m_doc)) {
        UNI_LOG(kChannel, uni::log::error) << "Built-in driver configuration template fails validation";
    }
    return true;
}

pugi::xml_node QorinCfgHandler::section(const char* xpath) const
{
    return xpugi::selectFirst(m_doc.document_element(), xpath);
}

bool QorinCfgHandler::readLoggerSettings(DriverLogSettings* settings) const
{
    if (settings == nullptr) {
        return false;
    }
    const pugi::xml_node definition = section("Definition/Logger");
    if (definition) {
        const std::pair<const char*, std::vector<std::string>*> lists[] = {
            {"LogLevel", &settings->levelOptions},
            {"LogType", &settings->typeOptions},
            {"LogAppend", &settings->appendOptions},
        };
        for (const auto& list : lists) {
            for (const pugi::xml_node& value : definition.child(list.first).children()) {
                if (value.type() == pugi::node_element) {
                    list.second->push_back(xpugi::elementText(value));
                }
            }
        }
    }
    const pugi::xml_node logger = section("Configuration/Logger");
    const std::pair<const char*, std::string*> values[] = {
        {"LogLevel", &settings->level},
        {"LogType", &settings->type},
        {"LogAppend", &settings->append},
        {"CmdLogFile", &settings->fileName},
    };
    for (const auto& value : values) {
        const pugi::xml_node element = logger.child(value.first);
        if (element) {
            *value.second = xpugi::elementText(element);
        }
    }
    return true;
}

bool QorinCfgHandler::writeLoggerSettings(const DriverLogSettings* settings)
{
    if (settings == nullptr) {
        return false;
    }
    const pugi::xml_node logger = section("Configuration/Logger");
    xpugi::setElementText(logger.child("LogLevel"), settings->level);
    xpugi::setElementText(logger.child("LogType"), settings->type);
    xpugi::setElementText(logger.child("LogAppend"), settings->append);
    const std::filesystem::path file(settings->fileName);
    const std::string stem = file.stem().string();
    const std::string extension = file.extension().string();
    if (!stem.empty() && !extension.empty()) {
        // Only the file name is derived; a folder part stays with both names.
        const std::filesystem::path developerLog = file.parent_path() / (stem + "_Dev" + extension);
        xpugi::setElementText(logger.child("LogFile"), developerLog.string());
        xpugi::setElementText(logger.child("CmdLogFile"), settings->fileName);
    }
    return true;
}

bool QorinCfgHandler::writeSimulatedSystem(const SimulatedSystem& system)
{
    pugi::xml_node enclosures = section(kEnclosuresPath);
    pugi::xml_node boards = section(kBoardsPath);
    if (!enclosures || !boards) {
        UNI_LOG(kChannel, uni::log::warning)
            << "Driver configuration has no Simulation sections; demo system not written";
        return false;
    }
    if (system.enclosures.empty()) {
        removeEntries(enclosures);
        removeEntries(boards);
        return true;
    }
    std::set<std::string> keptEnclosures;
    std::set<std::string> keptBoards;
    std::size_t boardIndex = 0;
    for (std::size_t e = 0; e < system.enclosures.size(); ++e) {
        const SimulatedEnclosureEntry& enclosure = system.enclosures[e];
        const std::string name = entryName(e);
        pugi::xml_node entry = enclosures.child(name.c_str());
        if (!entry) {
            writeEnclosureEntry(enclosures.append_child(name.c_str()), enclosure);
        } else if (!equalsNoCase(xpugi::attributeValue(entry.child("KEY"), "EncName"), hex8(enclosure.nameCode))) {
            writeEnclosureEntry(entry, enclosure);
        }
        keptEnclosures.insert(name);
        for (const SimulatedSlotEntry& slot : enclosure.slots) {
            if (!slot.hasBoard) {
                if (removeBoardAt(boards, static_cast<std::int32_t>(e), slot.slotNumber)) {
                    renumberEntries(boards);
                }
                continue;
            }
            const std::string boardName = entryName(boardIndex);
            pugi::xml_node boardEntry = boards.child(boardName.c_str());
            if (!boardEntry) {
                boardEntry = boards.append_child(boardName.c_str());
                writeBoardEntry(boardEntry, slot.board, e, slot.slotNumber, boardIndex);
            } else if (!sameBoardModel(boardEntry.child("KEY"), slot.board.key)) {
                writeBoardEntry(boardEntry, slot.board, e, slot.slotNumber, boardIndex);
            } else {
                // The slot is placed as well: a kept entry must never point at a stale slot.
                xpugi::setElementText(childOrAppend(boardEntry, "EncNumber"), std::to_string(e));
                xpugi::setElementText(childOrAppend(boardEntry, "SlotNumber"), std::to_string(slot.slotNumber));
            }
            writeChannelModules(boardEntry, slot.board.channelModules);
            keptBoards.insert(boardName);
            ++boardIndex;
        }
    }
    removeEntries(enclosures, keptEnclosures);
    removeEntries(boards, keptBoards);
    return true;
}

bool QorinCfgHandler::readSimulatedEnclosures(std::vector<SimulatedEnclosureEntry>& out) const
{
    out.clear();
    const pugi::xml_node enclosures = section(kEnclosuresPath);
    if (!enclosures) {
        return false;
    }
    static const std::set<std::string> kFixedChildren = {"KEY", "SerialNumber", "UserData", "EncType", "EncVersion"};
    for (const pugi::xml_node& entry : enclosures.children()) {
        const pugi::xml_node key = entry.child("KEY");
        if (!isEntry(entry) || !key) {
            continue;
        }
        SimulatedEnclosureEntry record;
        record.index = static_cast<int>(out.size());
        record.nameCode = hexOrZero(xpugi::attributeValue(key, "EncName"));
        record.key = xpugi::printNode(key);
        record.serialNumber = xpugi::elementText(entry.child("SerialNumber"));
        record.userData = xpugi::elementText(entry.child("UserData"));
        record.encType = intOrZero(entry, "EncType");
        record.encVersion = intOrZero(entry, "EncVersion");
        record.options = namedValues(entry, kFixedChildren);
        record.entryXml = xpugi::printNode(entry);
        out.push_back(std::move(record));
    }
    return true;
}

bool QorinCfgHandler::readSimulatedBoards(std::vector<SimulatedBoardEntry>& out) const
{
    out.clear();
    const pugi::xml_node boards = section(kBoardsPath);
    if (!boards) {
        return false;
    }
    for (const pugi::xml_node& entry : boards.children()) {
        const pugi::xml_node key = entry.child("KEY");
        std::int32_t encNumber = 0;
        std::int32_t slotNumber = 0;
        if (!isEntry(entry) || !key || !readInt(entry, "EncNumber", encNumber) ||
            !readInt(entry, "SlotNumber", slotNumber)) {
            continue;
        }
        SimulatedBoardEntry record;
        record.encNumber = encNumber;
        record.slotNumber = slotNumber;
        record.boardIndex = static_cast<int>(out.size());
        record.key = xpugi::printNode(key);
        record.boardName = boardName(key);
        record.firmwareRevision = xpugi::elementText(entry.child("FWRevision"));
        record.serialNumber = xpugi::elementText(entry.child("SerialNumber"));
        record.conSerialNumber = xpugi::elementText(entry.child("ConSerialNumber"));
        record.channelModules = namedValues(entry.child("ChannelModules"), {});
        out.push_back(std::move(record));
    }
    return true;
}

bool QorinCfgHandler::exportSimulation(const std::string& path, std::string* out, bool replace, std::string* error,
                                       bool* refused) const
{
    pugi::xml_document demo;
    pugi::xml_node root = demo.append_child("Simulation");
    for (const char* xpath : {kEnclosuresPath, kBoardsPath}) {
        const pugi::xml_node part = section(xpath);
        if (part) {
            root.append_copy(part);
        }
    }
    if (out != nullptr) {
        *out = xpugi::printNode(demo);
    }
    if (path.empty()) {
        return true;
    }
    // The operator's file: nothing that stands there is destroyed.
    const OutputDestination::Result written = OutputDestination::write(path, printDocument(demo), {replace, true});
    if (refused)
        *refused = written.refused();
    if (!written.ok()) {
        UNI_LOG(kChannel, uni::log::error) << "Demo file not written: " << written.message;
        if (error)
            *error = written.message;
        return false;
    }
    return true;
}

int QorinCfgHandler::importSimulation(const std::string& path, std::string* error)
{
    return importInto(path, false, error);
}

int QorinCfgHandler::importSimulationOrConfiguration(const std::string& path, std::string* error)
{
    return importInto(path, true, error);
}

int QorinCfgHandler::importInto(const std::string& path, bool configurationSections, std::string* error)
{
    const auto refuse = [&](const std::string& why) {
        UNI_LOG(kChannel, uni::log::warning) << "Demo file " << path << " not usable: " << why;
        if (error)
            *error = why;
        return 0;
    };
    std::string text;
    std::string why;
    const auto status = BoundedFileReader::read(path, kMaxDocumentSize, text, &why);
    if (status != BoundedFileReader::Status::Ok)
        return refuse(std::string(BoundedFileReader::statusText(status)) + " (" + why + ")");
    pugi::xml_document demo;
    const xpugi::UntrustedParse parsed = xpugi::parseUntrusted(demo, text, kDemoParseOptions);
    if (parsed.tooManyNodes)
        return refuse(tooManyNodesReason("demo file"));
    if (!parsed)
        return refuse("not XML: " + parseErrorText(parsed.result, text));
    if (!nestingAcceptable(demo))
        return refuse("elements nested deeper than " + std::to_string(kMaxNesting) + " levels");
    const pugi::xml_node demoRoot = demo.document_element();
    pugi::xml_node simulation = section("Configuration/Simulation");
    if (!demoRoot)
        return refuse("nothing to import");
    if (!simulation)
        return refuse("this configuration has no Simulation section");
    if (configurationSections && std::strcmp(demoRoot.name(), kRootElement) == 0) {
        pugi::xml_node enclosures = section(kEnclosuresPath);
        pugi::xml_node boards = section(kBoardsPath);
        const pugi::xml_node theirEnclosures = xpugi::selectFirst(demoRoot, kEnclosuresPath);
        const pugi::xml_node theirBoards = xpugi::selectFirst(demoRoot, kBoardsPath);
        if (!theirEnclosures || !theirBoards)
            return refuse("a driver configuration without SimulatedEnclosures and SimulatedBoards");
        if (!enclosures || !boards)
            return refuse("this configuration has no SimulatedEnclosures and SimulatedBoards");
        simulation.insert_copy_after(theirEnclosures, enclosures);
        simulation.insert_copy_after(theirBoards, boards);
        simulation.remove_child(enclosures);
        simulation.remove_child(boards);
    } else {
        xpugi::removeChildren(simulation);
        for (const pugi::xml_node& child : demoRoot.children()) {
            simulation.append_copy(child);
        }
    }
    CheckDiagnostics diagnostics;
    if (!m_check->checkDocument(m_doc, &diagnostics)) {
        UNI_LOG(kChannel, uni::log::warning) << "Imported demo file " << path << " leaves the configuration invalid";
        logFindings(diagnostics);
    }
    return 1;
}

void QorinCfgHandler::replaceDocument(const pugi::xml_document& document)
{
    m_doc.reset(document);
}

bool QorinCfgHandler::saveConfig(const std::string& path, std::string* error)
{
    std::string why;
    if (m_keepInvalidFile && samePath(path, m_path) && !keepInvalidFile()) {
        why = "the unusable configuration there could not be kept aside first";
    } else if (!nestingAcceptable(m_doc)) {
        why = "elements nested deeper than " + std::to_string(kMaxNesting) + " levels would not load again";
    } else {
        CheckDiagnostics diagnostics;
        if (!m_check->checkDocument(m_doc, &diagnostics)) {
            UNI_LOG(kChannel, uni::log::warning) << "Saving a driver configuration that fails validation to " << path;
            logFindings(diagnostics);
        }
        const std::string text = printDocument(m_doc);
        // What is written must load again, here and in the driver.
        if (text.size() > kMaxDocumentSize)
            why = "it would be " + std::to_string(text.size()) + " bytes, more than the " +
                  std::to_string(kMaxDocumentSize) + " a configuration may have";
        else if (AtomicFileWriter::write(path, text, &why))
            return true;
    }
    UNI_LOG(kChannel, uni::log::error) << "Driver configuration not saved to " << path << ": " << why;
    if (error)
        *error = why;
    return false;
}

bool QorinCfgHandler::keepInvalidFile()
{
    struct stat info;
    if (::lstat(m_path.c_str(), &info) != 0) {
        m_keepInvalidFile = false; // gone meanwhile: nothing left to protect
        return true;
    }
    const std::string base = m_path + ".invalid-" + timestamp();
    std::string kept = base;
    for (int n = 2; ::lstat(kept.c_str(), &info) == 0; ++n) {
        kept = base + "-" + std::to_string(n);
    }
    // A hard link keeps the old content without reading it: the save renames a new file
    // over the old name and never writes into the old one.
    bool ok = ::link(m_path.c_str(), kept.c_str()) == 0;
    if (!ok) {
        std::error_code ec;
        ok = std::filesystem::copy_file(m_path, kept, ec);
        if (!ok) {
            std::filesystem::remove(kept, ec);
        }
    }
    if (!ok) {
        UNI_LOG(kChannel, uni::log::error)
            << "Cannot keep the unusable driver configuration " << m_path << " as " << kept << "; not overwriting it";
        return false;
    }
    UNI_LOG(kChannel, uni::log::warning) << "Kept the unusable driver configuration " << m_path << " as " << kept;
    m_keepInvalidFile = false;
    m_keptInvalidFile = kept;
    return true;
}

std::string QorinCfgHandler::hardwareEnclosureKey(const pugi::xml_node& enclosureInfo)
{
    std::string key = "<KEY EncName=\"UNKNOWN\">";
    for (const char* name : {"Name", "SubVersion", "UserSlotCnt", "SlotNoOffset", "StarHubSlot", "SystemInfo"}) {
        const pugi::xml_node child = enclosureInfo.child(name);
        if (child) {
            key += xpugi::printNode(child);
        }
    }
    return key + "</KEY>";
}

} // namespace z2e
