#include "tools/system_inventory.h"

#include "core/enclosure_node.h"
#include "core/json_text.h"
#include "core/node_types.h"
#include "core/row_composer.h"
#include "core/slot_node.h"
#include "core/software_versions.h"
#include "core/tree_row_list.h"
#include "tools/last_self_tests.h"
#include "tools/maintenance_journal.h"
#include "tools/test_verdict.h"
#include "uni/number_text.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace z2e {
namespace {

std::string eepromStateText(std::uint32_t state)
{
    switch (state) {
    case EepromBackupState::Healthy: return "ok";
    case EepromBackupState::NoBackup: return "no backup";
    case EepromBackupState::Restorable: return "faulty, backup present";
    default: return "state " + std::to_string(state);
    }
}

// The texts of the red rows of `node` and everything shown below it.
std::vector<std::string> redRows(const ModelNode& node)
{
    std::vector<std::string> texts;
    for (const TreeRow& row : TreeRowList::collect(node)) {
        if (row.row.red)
            texts.push_back(row.row.text);
    }
    return texts;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

void fillSelfTest(const LastSelfTests& tests, InventoryBoard& board)
{
    SelfTestRecord record;
    if (!tests.find(board.serial, record))
        return;
    board.selfTestTime = record.time;
    board.selfTestOperation = record.operation;
    board.selfTestVerdict = record.status;
    board.selfTestResult = record.result;
}

InventoryBoard boardOf(const SlotNode& slot, const InventorySource& source)
{
    InventoryBoard board;
    board.index = slot.boardIndex;
    board.slot = slot.nodeType == NodeType::OrphanBoard ? -1 : RowComposer::slotNumber(slot);
    board.model = slot.values.empty() ? slot.baseModel : slot.values.front();
    // The caption carries the firmware warning; the warning is listed on its own.
    const std::string& suffix = slot.firmwareWarning;
    if (!suffix.empty() && board.model.size() > suffix.size() &&
        board.model.compare(board.model.size() - suffix.size(), suffix.size(), suffix) == 0)
        board.model.erase(board.model.size() - suffix.size());
    board.serial = slot.serialNumber;
    board.conSerial = slot.conSerialNumber;
    board.firmwareInstalled = slot.firmwareRevision;
    const auto latest = source.latestFirmware.find(slot.boardIndex);
    if (latest != source.latestFirmware.end())
        board.firmwareLatest = latest->second;
    board.baseTemperature = slot.baseTemperature;
    board.conTemperature = slot.conTemperature;
    board.baseEeprom = eepromStateText(slot.baseEepromState);
    board.conEeprom = eepromStateText(slot.conEepromState);
    board.warnings = redRows(slot);
    return board;
}

// A network node's slot row: "Slot N" holding the board name, its serial number below.
InventoryBoard boardOfSlotRow(const ModelNode& row)
{
    InventoryBoard board;
    std::int32_t number = -1;
    if (row.name.rfind("Slot ", 0) == 0 && uni::text::parseSignedDecimal(row.name.substr(5), number))
        board.slot = number;
    board.model = row.firstValue();
    for (const auto& child : row.children()) {
        if (child->name == "SerialNumber")
            board.serial = child->firstValue();
    }
    board.warnings = redRows(row);
    return board;
}

// What a node announced of its boards, found by serial number: the board's index and firmware.
void addAnnounced(std::vector<InventoryBoard>& boards, const NetworkNodeRecord* node)
{
    if (!node)
        return;
    for (InventoryBoard& board : boards) {
        for (std::size_t i = 0; i < node->boards.size(); ++i) {
            const NetworkBoardRecord& announced = node->boards[i];
            if (board.serial.empty() || announced.serialNumber != board.serial)
                continue;
            board.index = static_cast<std::int32_t>(i);
            if (board.firmwareInstalled.empty())
                board.firmwareInstalled = announced.firmware;
        }
    }
}

InventoryEnclosure enclosureOf(const EnclosureNode& node, const InventorySource& source, const LastSelfTests& tests)
{
    InventoryEnclosure enclosure;
    enclosure.name = node.values.empty() ? node.name : node.values.front();
    if (node.typeCode != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "%X", node.typeCode);
        enclosure.typeCode = code;
    }
    enclosure.serial = node.serialNumber;
    for (const EnclosureOptionText& option : node.options)
        enclosure.options.emplace_back(option.name, option.value);
    for (const auto& child : node.children()) {
        const auto* slot = dynamic_cast<const SlotNode*>(child.get());
        if (slot && slot->holdsBoard()) {
            enclosure.boards.push_back(boardOf(*slot, source));
        } else if (!slot && child->nodeType == NodeType::SlotState && child->firstValue() != "Empty") {
            enclosure.boards.push_back(boardOfSlotRow(*child));
        } else if (!slot) {
            append(enclosure.warnings, redRows(*child));
        }
    }
    for (InventoryBoard& board : enclosure.boards) {
        fillSelfTest(tests, board);
        if (board.slot >= 0)
            board.place = std::to_string(node.number) + "/" + std::to_string(board.slot);
    }
    return enclosure;
}

std::string hostName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

std::string operatingSystem()
{
    struct utsname info {};
    if (::uname(&info) != 0)
        return "";
    return std::string(info.sysname) + " " + info.release + " " + info.machine;
}

// ---- JSON ----

std::string jsonOrNull(const std::string& text)
{
    return text.empty() ? "null" : jsonString(text);
}

std::string jsonList(const std::vector<std::string>& texts)
{
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + jsonString(texts[i]);
    return out + "]";
}

void writeJsonBoard(std::ostream& out, const InventoryBoard& board)
{
    out << "{\"index\":";
    if (board.index >= 0)
        out << board.index;
    else
        out << "null";
    out << ",\"slot\":";
    if (board.slot >= 0)
        out << board.slot;
    else
        out << "null";
    out << ",\"place\":" << jsonOrNull(board.place) << ",\"model\":" << jsonString(board.model)
        << ",\"serial\":" << jsonString(board.serial) << ",\"conSerial\":" << jsonOrNull(board.conSerial)
        << ",\"firmware\":{\"installed\":" << jsonOrNull(board.firmwareInstalled)
        << ",\"latest\":" << jsonOrNull(board.firmwareLatest)
        << "},\"temperatures\":{\"base\":" << jsonOrNull(board.baseTemperature)
        << ",\"con\":" << jsonOrNull(board.conTemperature) << "},\"eeprom\":{\"base\":" << jsonOrNull(board.baseEeprom)
        << ",\"con\":" << jsonOrNull(board.conEeprom) << "},\"lastSelfTest\":";
    if (board.selfTestTime.empty())
        out << "null";
    else
        out << "{\"time\":" << jsonString(board.selfTestTime)
            << ",\"operation\":" << jsonString(board.selfTestOperation) << ",\"result\":" << board.selfTestResult
            << ",\"verdict\":" << jsonString(TestVerdict::word(board.selfTestVerdict)) << "}";
    out << ",\"warnings\":" << jsonList(board.warnings) << "}";
}

void writeJsonBoards(std::ostream& out, const std::vector<InventoryBoard>& boards)
{
    out << "[";
    for (std::size_t i = 0; i < boards.size(); ++i) {
        out << (i ? ",\n" : "\n");
        writeJsonBoard(out, boards[i]);
    }
    out << "]";
}

// ---- HTML ----

const char* const kInventoryStyle =
    "body{font-family:sans-serif;font-size:10pt;margin:1.5em;color:#000}"
    "h1{font-size:16pt}h2{font-size:13pt;margin-top:1.5em;border-bottom:1px solid #888}h3{font-size:11pt}"
    "table{border-collapse:collapse;margin:.5em 0;width:100%}"
    "th,td{border:1px solid #999;padding:2px 5px;text-align:left;vertical-align:top}"
    "th{background:#eee}.warn{color:#b00000;font-weight:bold}td.pre{white-space:pre-wrap}"
    "@media print{body{margin:0}h2{page-break-after:avoid}tr{page-break-inside:avoid}"
    "th{background:none}.warn{color:#000}}";

std::string htmlCell(const std::string& text, const char* cls = nullptr)
{
    std::string cell = cls ? std::string("<td class=\"") + cls + "\">" : std::string("<td>");
    return cell + SystemInventory::htmlEscape(text) + "</td>";
}

std::string htmlWarnings(const std::vector<std::string>& warnings)
{
    std::string out;
    for (const std::string& warning : warnings)
        out += "<div class=\"warn\">" + SystemInventory::htmlEscape(warning) + "</div>";
    return out;
}

void writeHtmlBoards(std::ostream& out, const std::vector<InventoryBoard>& boards)
{
    if (boards.empty()) {
        out << "<p>No boards.</p>\n";
        return;
    }
    out << "<table><tr><th>Place</th><th>Model</th><th>Serial</th><th>Firmware installed / latest</th>"
           "<th>Temperature base / panel</th><th>EEPROM base / panel</th><th>Last self test</th><th>Warnings</th></tr>\n";
    for (const InventoryBoard& board : boards) {
        const std::string test = board.selfTestTime.empty() ? std::string()
                                                            : board.selfTestVerdict + " (" + board.selfTestOperation +
                                                                  ", " + board.selfTestTime + ")";
        out << "<tr>" << htmlCell(!board.place.empty() ? board.place : "-") << htmlCell(board.model)
            << htmlCell(board.serial + (board.conSerial.empty() ? "" : " / " + board.conSerial))
            << htmlCell(board.firmwareInstalled + " / " + (board.firmwareLatest.empty() ? "?" : board.firmwareLatest))
            << htmlCell(board.baseTemperature + " / " + board.conTemperature)
            << htmlCell(board.baseEeprom + " / " + board.conEeprom) << htmlCell(test) << "<td>"
            << htmlWarnings(board.warnings) << "</td></tr>\n";
    }
    out << "</table>\n";
}

} // namespace

Inventory SystemInventory::gather(const std::vector<InventorySource>& sources,
                                  const std::vector<SoftwareVersionRecord>& versions, const std::string& journalFolder)
{
    Inventory inventory;
    inventory.created = MaintenanceJournal::utcNow();
    inventory.host = hostName();
    inventory.operatingSystem = operatingSystem();
    inventory.versions = versions;
    inventory.program = versionStory(buildIdentity());
    std::error_code error;
    LastSelfTests tests;
    if (!journalFolder.empty() && std::filesystem::is_directory(journalFolder, error)) {
        inventory.journalFolder = journalFolder;
        MaintenanceJournal(journalFolder, "").visit("", [&](const std::string& line) {
            ++inventory.journalLines;
            tests.add(line);
        });
    }
    for (const InventorySource& source : sources) {
        InventorySystem system;
        system.name = source.name;
        system.status = source.status;
        if (source.node) {
            system.nodeName = source.node->name;
            system.nodeAddress = source.node->address;
        }
        if (source.root) {
            for (const auto& child : source.root->children()) {
                const auto* enclosure = dynamic_cast<const EnclosureNode*>(child.get());
                const auto* slot = dynamic_cast<const SlotNode*>(child.get());
                if (enclosure) {
                    system.enclosures.push_back(enclosureOf(*enclosure, source, tests));
                    addAnnounced(system.enclosures.back().boards, source.node);
                } else if (slot && slot->nodeType == NodeType::OrphanBoard) {
                    system.looseBoards.push_back(boardOf(*slot, source));
                    fillSelfTest(tests, system.looseBoards.back());
                } else {
                    append(system.warnings, redRows(*child));
                }
            }
        }
        inventory.systems.push_back(std::move(system));
    }
    return inventory;
}

const char* SystemInventory::htmlStyle()
{
    return kInventoryStyle;
}

std::string SystemInventory::toJson(const Inventory& inventory)
{
    std::ostringstream out;
    out << "{\"format\":\"zamo2explorer-inventory\",\"formatVersion\":1,\"program\":" << jsonString(inventory.program)
        << ",\"created\":" << jsonString(inventory.created) << ",\n\"host\":{\"name\":" << jsonString(inventory.host)
        << ",\"operatingSystem\":" << jsonString(inventory.operatingSystem) << "},\n\"versions\":[";
    for (std::size_t i = 0; i < inventory.versions.size(); ++i) {
        const SoftwareVersionRecord& record = inventory.versions[i];
        out << (i ? ",\n" : "\n") << "{\"component\":" << jsonString(record.description)
            << ",\"fileName\":" << jsonString(record.fileName) << ",\"version\":" << jsonString(record.version)
            << ",\"comment\":" << jsonString(record.comment) << "}";
    }
    out << "],\n\"systems\":[";
    for (std::size_t s = 0; s < inventory.systems.size(); ++s) {
        const InventorySystem& system = inventory.systems[s];
        out << (s ? ",\n" : "\n") << "{\"name\":" << jsonString(system.name) << ",\"status\":" << system.status
            << ",\"node\":"
            << (system.nodeAddress.empty() ? std::string("null")
                                           : "{\"name\":" + jsonString(system.nodeName) +
                                                 ",\"address\":" + jsonString(system.nodeAddress) + "}")
            << ",\"warnings\":" << jsonList(system.warnings) << ",\"enclosures\":[";
        for (std::size_t e = 0; e < system.enclosures.size(); ++e) {
            const InventoryEnclosure& enclosure = system.enclosures[e];
            out << (e ? ",\n" : "\n") << "{\"name\":" << jsonString(enclosure.name)
                << ",\"typeCode\":" << jsonOrNull(enclosure.typeCode) << ",\"serial\":" << jsonString(enclosure.serial)
                << ",\"options\":{";
            for (std::size_t o = 0; o < enclosure.options.size(); ++o)
                out << (o ? "," : "") << jsonString(enclosure.options[o].first) << ":"
                    << jsonString(enclosure.options[o].second);
            out << "},\"warnings\":" << jsonList(enclosure.warnings) << ",\"boards\":";
            writeJsonBoards(out, enclosure.boards);
            out << "}";
        }
        out << "],\"looseBoards\":";
        writeJsonBoards(out, system.looseBoards);
        out << "}";
    }
    out << "],\n\"journal\":";
    if (inventory.journalFolder.empty())
        out << "null";
    else
        out << "{\"folder\":" << jsonString(inventory.journalFolder) << ",\"lines\":" << inventory.journalLines
            << ",\"packedAs\":\"maintenance/\"}";
    out << "}\n";
    return out.str();
}

std::string SystemInventory::htmlEscape(const std::string& text)
{
    std::string out;
    for (const char c : validUtf8(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            // Control characters other than line breaks and tabs have no place in a page.
            out += static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' ? '?' : c;
        }
    }
    return out;
}

std::string SystemInventory::toHtml(const Inventory& inventory)
{
    std::ostringstream out;
    out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<title>ZAMO2Explorer inventory</title><style>"
        << SystemInventory::htmlStyle() << "</style></head><body>\n<h1>ZAMO2Explorer inventory</h1>\n<table>"
        << "<tr><th>Program</th>" << htmlCell(inventory.program) << "</tr><tr><th>Created</th>"
        << htmlCell(inventory.created) << "</tr><tr><th>Host</th>" << htmlCell(inventory.host)
        << "</tr><tr><th>Operating system</th>" << htmlCell(inventory.operatingSystem)
        << "</tr><tr><th>Maintenance journal</th>"
        << htmlCell(inventory.journalFolder.empty()
                        ? "none"
                        : std::to_string(inventory.journalLines) + " lines, packed as maintenance/ (from " +
                              inventory.journalFolder + ")")
        << "</tr></table>\n<h2>Software versions</h2>\n<table><tr><th>Component</th><th>File</th><th>Version</th>"
           "<th>Comment</th></tr>\n";
    for (const SoftwareVersionRecord& record : inventory.versions)
        out << "<tr>" << htmlCell(record.description) << htmlCell(record.fileName) << htmlCell(record.version)
            << htmlCell(record.comment, "pre") << "</tr>\n";
    out << "</table>\n";
    for (const InventorySystem& system : inventory.systems) {
        out << "<h2>System: " << htmlEscape(system.name)
            << (system.nodeName.empty() ? std::string() : " (" + htmlEscape(system.nodeName) + ")") << "</h2>\n";
        if (system.status != 0)
            out << "<p class=\"warn\">Read with status " << system.status << ".</p>\n";
        out << htmlWarnings(system.warnings);
        if (system.enclosures.empty() && system.looseBoards.empty())
            out << "<p>No enclosures.</p>\n";
        for (const InventoryEnclosure& enclosure : system.enclosures) {
            out << "<h3>" << htmlEscape(enclosure.name) << ", serial " << htmlEscape(enclosure.serial);
            if (!enclosure.typeCode.empty())
                out << ", type " << htmlEscape(enclosure.typeCode);
            out << "</h3>\n";
            if (!enclosure.options.empty()) {
                out << "<p>Options:";
                for (const auto& [name, value] : enclosure.options)
                    out << " " << htmlEscape(name) << " = " << htmlEscape(value) << ";";
                out << "</p>\n";
            }
            out << htmlWarnings(enclosure.warnings);
            writeHtmlBoards(out, enclosure.boards);
        }
        if (!system.looseBoards.empty()) {
            out << "<h3>Boards outside the enclosures</h3>\n";
            writeHtmlBoards(out, system.looseBoards);
        }
    }
    out << "</body></html>\n";
    return out.str();
}

} // namespace z2e
