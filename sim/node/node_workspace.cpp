#include "node_workspace.h"

#include "uni/ip_address_pair.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace nodesim {

namespace fs = std::filesystem;

namespace {

// The board models and firmware revisions of the driver's product data.
struct BoardEntry {
    const char* key;
    unsigned slot;
    const char* firmware;
};

constexpr BoardEntry kBoards[] = {
    {"<KEY BaseModel=\"QBA-16\" BaseVersion=\"3\" ConModel=\"QPA-16-D37\" ConVersion=\"2\" FeatureSet=\"00000001\">"
     "<FamilyName>QA</FamilyName><Type>4016</Type><ConBv/><DisplayName>QA-4016</DisplayName></KEY>",
     2, "0254"},
    {"<KEY BaseModel=\"QBN-22\" BaseVersion=\"1\" ConModel=\"QPN-22-D9\" ConVersion=\"1\" FeatureSet=\"00000002\">"
     "<FamilyName>QN</FamilyName><Type>6222-COMBO</Type><ConBv/><DisplayName>QN-6222-COMBO</DisplayName></KEY>",
     3, "0454"},
    {"<KEY BaseModel=\"QBC-08\" BaseVersion=\"2\" ConModel=\"QPC-08-D25\" ConVersion=\"1\" FeatureSet=\"00000002\">"
     "<FamilyName>QC</FamilyName><Type>3108</Type><ConBv/><DisplayName>QC-3108-TS</DisplayName></KEY>",
     4, "02F4"},
    {"<KEY BaseModel=\"QBD-32\" BaseVersion=\"1\" ConModel=\"QPD-32-D37\" ConVersion=\"1\" FeatureSet=\"00000000\">"
     "<FamilyName>QD</FamilyName><Type>5032</Type><ConBv/><DisplayName>QD-5032</DisplayName></KEY>",
     5, "0394"},
};

std::string hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

bool writeIfMissing(const std::string& path, const std::string& content, std::string& error)
{
    std::error_code code;
    return fs::exists(path, code) || NodeWorkspace::writeFile(path, content, error);
}

unsigned seedOf(const NodeSimOptions& options)
{
    const auto address = uni::ipv4::parseAddress(options.bindAddress);
    const unsigned low = address ? (ntohl(*address) & 0xFFFFu) : 0u;
    return (low ^ (static_cast<unsigned>(options.basePort) << 3)) & 0xFFFFu;
}

} // namespace

bool NodeWorkspace::makeFolder(const std::string& path, std::string& error)
{
    std::error_code code;
    fs::create_directories(path, code);
    if (fs::is_directory(path, code))
        return true;
    error = "cannot create folder " + path;
    return false;
}

// Written beside the target and renamed, so a reader never sees half a file.
bool NodeWorkspace::writeFile(const std::string& path, const std::string& content, std::string& error)
{
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out.flush()) {
            error = "cannot write " + temp;
            return false;
        }
    }
    std::error_code code;
    fs::rename(temp, path, code);
    if (!code)
        return true;
    fs::remove(temp, code);
    error = "cannot write " + path;
    return false;
}

std::string NodeWorkspace::configDocument(const std::string& entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zmpxi_api_config>\n  <Configuration>\n"
           "    <Logger><LogLevel>LogOnError</LogLevel><LogType>Normal</LogType>"
           "<LogAppend>Append</LogAppend><LogFile>ZaMoQorin_Dev.Log</LogFile>"
           "<CmdLogFile>ZaMoQorin.log</CmdLogFile></Logger>\n"
           "    <Simulation>\n      <SimulationMode>SIMMODE_NORMAL</SimulationMode>\n" +
           entries + "    </Simulation>\n  </Configuration>\n</zmpxi_api_config>\n";
}

std::string NodeWorkspace::hardwareDocument(const std::string& entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SimulatedHardware>\n" + entries + "</SimulatedHardware>\n";
}

std::string NodeWorkspace::defaultEntries(unsigned seed)
{
    const std::string tag = hex(seed & 0xFFFFu, 4);
    std::string entries =
        "      <SimulatedEnclosures>\n        <ID0>\n"
        "          <KEY EncName=\"0000E306\"><Name>QORINet QN-N6</Name><SubVersion>0</SubVersion>"
        "<UserSlotCnt>6</UserSlotCnt><SlotNoOffset>2</SlotNoOffset><StarHubSlot>0</StarHubSlot>"
        "<SystemInfo/></KEY>\n"
        "          <SerialNumber>00E3" +
        tag +
        "</SerialNumber><UserData>Simulated node</UserData><EncType>4</EncType><EncVersion>3</EncVersion>"
        "<NetBootMode>1</NetBootMode>\n        </ID0>\n      </SimulatedEnclosures>\n      <SimulatedBoards>\n";
    unsigned index = 0;
    for (const BoardEntry& board : kBoards) {
        const std::string id = "ID" + std::to_string(index);
        ++index;
        entries += "        <" + id + ">" + board.key + "<EncNumber>0</EncNumber><SlotNumber>" +
                   std::to_string(board.slot) + "</SlotNumber><FWRevision>" + board.firmware + "</FWRevision>" +
                   "<SerialNumber>5A" + tag + hex(index, 2) + "</SerialNumber><ConSerialNumber>5C" + tag +
                   hex(index, 2) + "</ConSerialNumber></" + id + ">\n";
    }
    return entries + "      </SimulatedBoards>\n";
}

std::string NodeWorkspace::defaultRoot(const NodeSimOptions& options)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp ? tmp : "/tmp";
    return base + "/qorinet-node-sim-" + std::to_string(::getuid()) + "/" + options.bindAddress + "_" +
           std::to_string(options.basePort);
}

bool NodeWorkspace::prepare(const NodeSimOptions& options, std::string& error)
{
    m_root = options.workDir.empty() ? defaultRoot(options) : options.workDir;
    m_configDir = options.configDir.empty() ? m_root + "/config" : options.configDir;
    m_hardwareFile = options.hardwareFile.empty() ? m_root + "/hardware.xml" : options.hardwareFile;
    const std::string stateDir = m_root + "/state";
    const std::string runtimeDir = m_root + "/run";
    if (!makeFolder(m_configDir, error) || !makeFolder(stateDir, error) || !makeFolder(runtimeDir, error))
        return false;
    const unsigned seed = seedOf(options);
    if (options.configDir.empty() &&
        !writeIfMissing(m_configDir + "/zmpxi_api_config.xml", configDocument(defaultEntries(seed)), error))
        return false;
    if (options.hardwareFile.empty() && !writeIfMissing(m_hardwareFile, hardwareDocument(defaultEntries(seed)), error))
        return false;
    ::setenv("ZMPXI_API_CONFIG_DIR", m_configDir.c_str(), 1);
    ::setenv("ZMPXI_SIM_STATE_DIR", stateDir.c_str(), 1);
    ::setenv("ZMPXI_SIM_HARDWARE", m_hardwareFile.c_str(), 1);
    // The hardware lock lives here, so simulators never block each other or a local program.
    ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    return true;
}

} // namespace nodesim
