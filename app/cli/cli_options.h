#pragma once
// Command line of zamo2ctl: options may stand anywhere before "--"; the first other word is
// the command and the rest are its arguments.

#include "cli_bus_options.h"
#include "cli_enclosure_options.h"

#include "tools/board_address.h"

#include "uni/ip_address_pair.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace z2e {
namespace cli {

struct CliOptions {
    bool help = false;
    bool json = false;
    std::string simulation;           ///< "", or the driver's mode text (SIMMODE_FORCE, SIMMODE_OFF, SIMMODE_NORMAL)
    std::string driverPath;           ///< "", or a driver library to load instead of the default
    std::string logFile;              ///< "", or a file that receives the program's log
    std::string system;               ///< "", "local" or "demo": the system `tree` shows
    std::string node;                 ///< "", or the address of the network node a command goes to
    std::vector<std::string> nodes;   ///< every --node as given; several run a board tool on each
    std::uint32_t scanMs = 0;         ///< discovery time of `nodes`, longest wait for --node; 0: default
    std::uint16_t basePort = 0;       ///< base port of the network client; 0: the default 9237
    std::uint32_t timeoutSeconds = 0; ///< --timeout: the whole command's limit; 0: the default
    std::int32_t board = -1;          ///< --board N of the board tools; -1: every board
    /// --board as given: a driver index is in `board` too; E/S, a serial or all are looked up
    /// before the command runs, and the command runs once for each board they name.
    BoardAddress boardAddress;
    bool factory = false;     ///< selftest --factory
    bool excitation = false;  ///< selftest --excitation
    std::string saveDir;      ///< selftest --save-dir: one result file per board goes there
    bool yes = false;         ///< calibrate --yes: no question asked
    bool allNodes = false;    ///< problems and the board tools: this computer and every node that answers
    bool rebuild = false;     ///< assets --rebuild: the asset register made anew from the journal
    bool sync = false;        ///< assets --sync: send the site register what it has not had
    bool site = false;        ///< fleet --site: the site register's boards instead of a read
    std::string registerAt;   ///< --register postgresql://...: the site register; empty: $ZAMO2_REGISTER
    bool replace = false;     ///< demo put-board --replace: a board in the slot may go
    bool force = false;       ///< --force: replace an existing file at a named destination; eeprom restore: a backup of
                              ///< another board too
    bool retryFailed = false; ///< firmware update --retry-failed
    bool autoSelect = false;  ///< firmware update-file --auto
    bool dryRun = false;      ///< firmware update --dry-run: print the plan, change nothing
    bool keepNewer = false;   ///< firmware update --keep-newer: boards with newer firmware keep it
    std::string serial;       ///< history --serial, eeprom write-default --serial, enclosure write --serial
    bool noSnapshot = false;  ///< board tools: no EEPROM snapshots before a change
    std::string which;        ///< eeprom --which: "base" or "con"
    std::string dir;          ///< eeprom backup --dir
    std::string model;        ///< eeprom write-default --model
    std::string revision;     ///< eeprom write-default --revision
    EnclosureCliOptions enclosureTools; ///< enclosure, crossgrade, features, channel-module
    BusCliOptions bus;                  ///< can, uart
    std::string logName;                ///< logging set --file
    std::string logLevel;               ///< logging set --level
    std::string logType;                ///< logging set --type
    bool extended = false;              ///< overview --extended: all 17 columns
    bool csv = false;                   ///< overview --csv, fleet --csv
    bool html = false;                  ///< fleet --html
    std::string format;                 ///< tree --format: "json", "csv" or "text"; "": text (JSON with --json)
    std::string mode;                   ///< node ip --mode ("dhcp" or "static"), logging set --mode
    std::string ipVersion;              ///< node ip --ip-version: "4" or "6"
    std::string address;                ///< node ip --address
    std::string mask;                   ///< node ip --mask
    std::string addNode;                ///< nodes --add: an address to remember
    std::string removeNode;             ///< nodes --remove: a remembered address to forget
    std::string localNetwork;           ///< --local-network A.B.C.D/N: the one local network to scan
    std::int32_t dueDays = -1;          ///< fleet --due DAYS: boards due within DAYS (overdue included); -1: all
    std::int32_t intervalMonths = 0;    ///< fleet --interval: calibration interval; 0: the default (12)
    std::int32_t parallel = 0;          ///< fleet and many nodes: nodes at once; 0: the default (8)
    std::string command;
    std::vector<std::string> arguments;
};

/// Seconds the command may run: --timeout, else 60 for reads and 360 for the board tools
/// (three times the longest expected step, a firmware update); 0 for commands without limit.
std::uint32_t commandTimeoutSeconds(const CliOptions& options);

/// Fills `options` from argv[1..]; false with `error` set for a malformed line. The command's
/// argument count is checked too.
bool parseCliOptions(int argc, const char* const argv[], CliOptions& options, std::string& error);

/// Whether --json stands among the options, even on a line that does not parse: a script that
/// asked for JSON gets its usage error as JSON too.
bool jsonRequested(int argc, const char* const argv[]);

/// "--name value" or "--name=value": `matched` tells whether `arg` is option `name`; false
/// when its value is missing. Advances `i` past a separate value.
bool optionValue(const std::string& arg, const std::string& name, int argc, const char* const argv[], int& i,
                 std::string& value, bool& matched);

/// A number option of the command line and the range it must lie in.
struct BoundedOption {
    const char* name;
    std::int32_t low;
    std::int32_t high;
    std::int32_t* target;
    const char* what; ///< what the option needs, for the error: "a number of days, 0 to 36500"
};

/// Takes `arg` when it is one of `numbers` (`matched`) and sets its target; false with `error`
/// set for a value missing or out of range. Advances `i` past a separate value.
bool parseBoundedOption(const std::string& arg, int argc, const char* const argv[], int& i,
                        const std::vector<BoundedOption>& numbers, std::string& error, bool& matched);

/// The address pair of --local-network "A.B.C.D/N"; nullopt when the text is not one.
std::optional<uni::ipv4::IpAddressPair> localNetworkOf(const std::string& text);

/// Whether two node names are the same, as nodes are named: ignoring case.
bool sameNodeName(const std::string& a, const std::string& b);

/// The text of --help.
std::string usageText();

} // namespace cli
} // namespace z2e
