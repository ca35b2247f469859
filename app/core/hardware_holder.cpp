#include "core/hardware_holder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace z2e {
namespace {

// The window's executable; /proc gives at most 15 characters of a command name.
const char* const kProgramCommand = "zamo2explorer";

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// "MAJ:MIN:INODE" as the lock table writes a file's identity: device numbers in hexadecimal.
std::string fileIdentity(const struct stat& info)
{
    std::ostringstream text;
    text << std::hex;
    text.width(2);
    text.fill('0');
    text << major(info.st_dev) << ':';
    text.width(2);
    text << minor(info.st_dev) << ':' << std::dec << info.st_ino;
    return text.str();
}

} // namespace

std::string HardwareHolderLookup::lockFilePath()
{
    const std::string runtime = variable("XDG_RUNTIME_DIR");
    if (!runtime.empty())
        return runtime + "/zmpxi_api/hardware.lock";
    std::string state = variable("ZMPXI_SIM_STATE_DIR");
    if (state.empty()) {
        std::string config = variable("ZMPXI_API_CONFIG_DIR");
        if (config.empty()) {
            const std::string xdg = variable("XDG_CONFIG_HOME");
            config = !xdg.empty() ? xdg + "/zmpxi_api" : variable("HOME") + "/.config/zmpxi_api";
        }
        state = config + "/state";
    }
    return state + "/hardware.lock";
}

std::optional<HardwareHolder> HardwareHolderLookup::holderOf(const std::string& lockFile, const std::string& procRoot)
{
    struct stat info {};
    if (::stat(lockFile.c_str(), &info) != 0)
        return std::nullopt;
    const std::string identity = fileIdentity(info);
    std::ifstream locks(procRoot + "/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // "1: FLOCK  ADVISORY  WRITE 8969 fe:00:10952972 0 EOF"; waiting locks are marked "->".
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        pid_t pid = 0;
        if (!(fields >> number >> kind) || kind == "->" || !(fields >> mode >> access >> pid >> file))
            continue;
        if (file != identity || pid <= 0)
            continue;
        HardwareHolder holder;
        holder.pid = pid;
        std::ifstream comm(procRoot + "/" + std::to_string(pid) + "/comm");
        std::getline(comm, holder.name);
        return holder;
    }
    return std::nullopt;
}

std::optional<HardwareHolder> HardwareHolderLookup::find()
{
    return holderOf(lockFilePath());
}

std::string HardwareHolderLookup::describe(const std::optional<HardwareHolder>& holder)
{
    if (!holder)
        return "The program holding it could not be determined.";
    const std::string name = holder->name.empty() ? "unknown name" : holder->name;
    std::string text = "Held by process " + std::to_string(holder->pid) + " (" + name + ").";
    if (holder->name == kProgramCommand)
        text += "\nThat first copy of ZAMO2Explorer shows the local boards and the network nodes.";
    return text;
}

} // namespace z2e
