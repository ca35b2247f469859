#include "core/tool_registry.h"

#include <algorithm>

namespace z2e {
namespace {

std::string argument(const std::vector<std::string>& arguments, std::size_t index)
{
    return index < arguments.size() ? arguments[index] : std::string();
}

// The change a sub-command makes, "" for one that reads.
std::string subcommandActivity(const std::vector<std::string>& arguments,
                               const std::vector<std::pair<const char*, const char*>>& changing)
{
    const std::string first = argument(arguments, 0);
    for (const auto& [subcommand, words] : changing) {
        if (first == subcommand)
            return words;
    }
    return {};
}

std::vector<ToolDescription> makeTools()
{
    constexpr unsigned kEnclosureAnyRow = kEnclosureRow | kEnclosureShiftRow;
    // One record per tool: a table reads better than one field per line.
    // clang-format off
    return {
        {"selftest", 0, 0, "selftest", ToolTimeLimit::BoardTool, nullptr,
         "  selftest [--board B] [--factory|--excitation] [--save-dir DIR]\n"
         "                               self test of every board (or board B): one row per\n"
         "                               board with its verdict and the checks below it;\n"
         "                               --save-dir writes each board's result document there\n"
         "                               (an existing one only with --force)\n",
         {{MenuEntry::SelfTest, "Self Test",
           "Self test of the selected board, or of every board of the selected enclosure", ":/icons/res/info.png",
           kEnclosureAnyRow | kBoardRow, 10, true},
          {MenuEntry::FactorySelfTest, "Factory Self Test", "Selftest with relxed limits", "", kBoardShiftRow, 90,
           false, false, true}},
         true},
        {"calibrate", 1, 1, "calibrate", ToolTimeLimit::BoardTool,
         [](const std::vector<std::string>& arguments) { return "calibrating (" + argument(arguments, 0) + ")"; },
         "  calibrate autozero|gaincal|threewire|reset-defaults [--board B] [--yes]\n"
         "                               auto zero, gain calibration, three-wire offset or\n"
         "                               reset to the factory calibration; refused on\n"
         "                               simulated boards; threewire asks first (on a\n"
         "                               terminal) or needs --yes\n",
         {},
         true},
        {"firmware", 1, 2, "firmware", ToolTimeLimit::BoardTool,
         [](const std::vector<std::string>& arguments) {
             return subcommandActivity(arguments,
                                       {{"update", "updating firmware"}, {"update-file", "updating firmware"}});
         },
         "  firmware check [--board B]   installed and latest firmware of each board\n"
         "  firmware list                the firmware files the driver knows\n"
         "  firmware update [--board B] [--retry-failed] [--keep-newer] [--dry-run]\n"
         "                               bring every board (or board B) to the latest\n"
         "                               release; a newer firmware goes back to the release,\n"
         "                               with --keep-newer it is kept (skipped). Each row\n"
         "                               names the versions (\"0251 \u2192 0254 updated\", \"0300 \u2192\n"
         "                               02F4 went back to the release\") or why it was\n"
         "                               skipped; --retry-failed only the boards whose last\n"
         "                               update on this node failed or was interrupted, as\n"
         "                               the journal records; --dry-run prints the plan of\n"
         "                               each board (update, back to the release, skip and\n"
         "                               why) and changes nothing (no snapshot, no journal\n"
         "                               line; only reads are sent)\n"
         "  firmware update-file --board B (FILE | VERSION | --auto)\n"
         "                               update board B with a firmware file, a listed file\n"
         "                               name or version, or the latest release's file\n",
         {{MenuEntry::FirmwareUpdate, "Firmware Update",
           "Check the firmware of the selected boards and bring it to the latest release", "arrow-up",
           kEnclosureAnyRow | kBoardRow, 20, true},
          {MenuEntry::FirmwareUpdatePro, "Firmware Update PRO", "", "", kBoardShiftRow, 70}},
         true},
        {"eeprom", 1, 2, "eeprom", ToolTimeLimit::BoardTool,
         [](const std::vector<std::string>& arguments) {
             return subcommandActivity(arguments, {{"restore", "restoring an EEPROM"},
                                                  {"auto-restore", "restoring an EEPROM"},
                                                  {"write-default", "rewriting an EEPROM"},
                                                  {"erase", "erasing an EEPROM"}});
         },
         "  eeprom backup --board B --which base|con|both --dir DIR\n"
         "                               save that EEPROM's document (both: the two) of board\n"
         "                               B to a file in DIR (made when missing) and print the\n"
         "                               file's path; an existing backup of that name only\n"
         "                               with --force (--board all --which both: every board's\n"
         "                               two EEPROMs into one folder)\n"
         "  eeprom restore --board B --which base|con FILE [--force]\n"
         "                               write a backup file back (its root element must be\n"
         "                               BaseEEPROM or ConEEPROM exactly; checked first); a\n"
         "                               backup of another board (its BoardInfo/SerialNumber\n"
         "                               is not the board's) is refused, naming both serials,\n"
         "                               unless --force\n"
         "  eeprom auto-restore --board B --which base|con\n"
         "                               let the driver restore the EEPROM from its own backup\n"
         "  eeprom models --board B      the base EEPROM models board B may be rewritten as\n"
         "  eeprom write-default --board B --model M --revision R --serial HEX\n"
         "                               rewrite the base EEPROM with the default of model M\n"
         "                               (as listed by models) and serial number HEX (1 to 8\n"
         "                               of 0-9 A-F)\n"
         "  eeprom erase --board B --yes erase the base EEPROM\n"
         "                               A written EEPROM is read back and compared; the\n"
         "                               journal line says \"verified\" or the difference\n",
         {{MenuEntry::ConfigureBaseEeprom, "Configure Base EEPROM", "", "", kBoardShiftRow, 60}}},
        {"enclosure", 2, 2, "enclosure", ToolTimeLimit::BoardTool,
         [](const std::vector<std::string>& arguments) {
             return subcommandActivity(arguments, {{"write", "writing enclosure data"}});
         },
         "  enclosure show ENC           type, version, serial number, options (with the\n"
         "                               values offered) and user data of enclosure ENC\n"
         "  enclosure write ENC [--serial HEX8] [--type T] [--version V]\n"
         "                  [--option NAME=VALUE|NAME=none ...]\n"
         "                  [--user-data TEXT | --clear-user-data]\n"
         "                               write the enclosure's data; what is not given keeps\n"
         "                               its current value (VALUE: a number or text offered)\n",
         {{MenuEntry::EnclosureData, "Enclosure Data", "", "", kEnclosureShiftRow, 30}}},
        {"crossgrade", 0, 0, "crossgrade", ToolTimeLimit::BoardTool,
         [](const std::vector<std::string>&) { return std::string("cross-grading a board"); },
         "  crossgrade --board B [--to ID] [--yes]\n"
         "                               change board B into the base board (only the one\n"
         "                               convertible generation), or with --to into any listed\n"
         "                               base EEPROM generation; asks first or needs --yes\n",
         {{MenuEntry::CrossGrade, "Cross Grade", "", "", kBoardShiftRow, 80}}},
        {"features", 0, 99, "features", ToolTimeLimit::BoardTool,
         [](const std::vector<std::string>& arguments) {
             return arguments.empty() ? std::string() : std::string("changing board features");
         },
         "  features --board B [NAME=VALUE ...]\n"
         "                               the visible features of board B with their values\n"
         "                               and the selected one; with NAME=VALUE (names and\n"
         "                               texts as listed) write the new feature set\n",
         {{MenuEntry::BoardConfiguration, "Board Configuration", "Switch the optional features of the selected board",
           ":/icons/res/eeprom.png", kBoardRow, 40, true, true}}},
        // The demo system lives in files: its edits take as long as they take.
        {"channel-module", 0, 1, "", ToolTimeLimit::None,
         [](const std::vector<std::string>& arguments) {
             return arguments.empty() ? std::string() : std::string("editing the demo system");
         },
         "  channel-module --enc E --slot S [MODULE]\n"
         "                               the channel module of a demo-system board, or set it\n"
         "                               and save the driver configuration\n",
         {{MenuEntry::ChannelModules, "Channel Modules", "", "", kChannelModuleRow, 10}}},
        {"history", 0, 0, "history --board", ToolTimeLimit::BoardTool, nullptr,
         "  history [--serial S | --board B]\n"
         "                               the maintenance journal (every board, or the board\n"
         "                               of serial S in any case, or board B's serial looked\n"
         "                               up, with --node on that node); damaged lines are\n"
         "                               skipped and counted on standard error\n"
         "                               Changes snapshot both EEPROMs of a board first and\n"
         "                               every tool run is journalled, both below\n"
         "                               DOCUMENTS/Norvale/zamo2explorer/maintenance\n",
         // The journal is kept per board serial, so only a board row can ask for it.
         {{MenuEntry::BoardHistory, "Board History\u2026",
           "Everything the maintenance journal recorded for this board", "", kBoardRow, 50}}},
        // A monitor runs until Ctrl+C or --timeout.
        {"can", 1, 3, "can", ToolTimeLimit::None, nullptr,
         "  can monitor --board E/S [--channel N] [--ids LOW-HIGH] [--count N] [--ring N]\n"
         "              [--send ID DATA [--send-channel N] [--every MS]] [--trace FILE [--force]]\n"
         "                               start every CAN channel of the board and print each\n"
         "                               frame read (time, channel, id, length, data); --send\n"
         "                               sends a frame once (or every MS); stops after --count\n"
         "                               frames shown, on Ctrl+C or at --timeout, then prints\n"
         "                               the counts and each channel's error counter; --json\n"
         "                               adds the last --ring frames (1000). ID is hexadecimal,\n"
         "                               0 to 7FF standard, up to 1FFFFFFF extended; DATA 0 to\n"
         "                               8 bytes in hexadecimal (DEAD01, DE:AD:01, - for none);\n"
         "                               --trace saves the last --ring frames as CSV (an\n"
         "                               existing FILE only with --force)\n"
         "  can send --board E/S [--channel N] ID DATA [--every MS] [--count N]\n"
         "                               send a frame once, --count times, or every MS\n",
         // An enclosure row too: a network node's tree has no board rows. Not on a node another
         // client holds: its bus may be in use.
         {{MenuEntry("bus-test"), "Bus Test\u2026",
           "See and send the CAN or UART traffic of a board, and save it as a trace", "", kBoardRow | kEnclosureRow,
           55, false, false, true, true}},
         false, true},
        {"uart", 1, 2, "uart", ToolTimeLimit::None, nullptr,
         "  uart monitor --board E/S [--channel N] [--count N] [--send DATA [--every MS]]\n"
         "               [--trace FILE [--force]]\n"
         "  uart send --board E/S [--channel N] DATA [--every MS] [--count N]\n"
         "                               likewise for a UART channel; bytes shown as\n"
         "                               hexadecimal and as text\n",
         {},
         false, true},
    };
    // clang-format on
}

} // namespace

const std::vector<ToolDescription>& ToolRegistry::tools()
{
    static const std::vector<ToolDescription> list = makeTools();
    return list;
}

const ToolDescription* ToolRegistry::find(const std::string& verb)
{
    for (const ToolDescription& tool : tools()) {
        if (verb == tool.verb)
            return &tool;
    }
    return nullptr;
}

std::vector<ToolWindowEntry> ToolRegistry::windowEntries(unsigned row)
{
    std::vector<ToolWindowEntry> entries;
    for (const ToolDescription& tool : tools()) {
        for (const ToolWindowEntry& entry : tool.window) {
            if (entry.rows & row)
                entries.push_back(entry);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ToolWindowEntry& a, const ToolWindowEntry& b) { return a.rank < b.rank; });
    return entries;
}

std::vector<MenuEntry> ToolRegistry::toolBarEntries()
{
    std::vector<MenuEntry> entries;
    for (const ToolDescription& tool : tools()) {
        for (const ToolWindowEntry& entry : tool.window) {
            if (entry.toolBar)
                entries.push_back(entry.entry);
        }
    }
    return entries;
}

} // namespace z2e
