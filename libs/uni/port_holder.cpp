#include "uni/port_holder.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace uni {

namespace {

constexpr std::size_t kMaxHolders = 4;
constexpr std::size_t kMaxTableLines = 65536;

/// Socket inodes bound to `port` in one /proc/net table ("sl local rem st ... uid timeout inode").
void collectInodes(const char* table, std::uint16_t port, std::vector<std::string>& inodes)
{
    std::ifstream in(table);
    std::string line;
    std::getline(in, line); // header
    for (std::size_t count = 0; count < kMaxTableLines && std::getline(in, line); ++count) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode))
            continue;
        const std::size_t colon = local.rfind(':');
        if (colon == std::string::npos)
            continue;
        char* end = nullptr;
        const unsigned long localPort = std::strtoul(local.c_str() + colon + 1, &end, 16);
        if (*end == '\0' && localPort == port && inode != "0")
            inodes.push_back("socket:[" + inode + "]");
    }
}

bool isNumber(const char* text)
{
    return *text != '\0' &&
           std::all_of(text, text + std::char_traits<char>::length(text), [](char c) { return c >= '0' && c <= '9'; });
}

/// Whether one of the open files of process `pid` is one of `sockets`.
bool holdsOneOf(const std::string& pid, const std::vector<std::string>& sockets)
{
    const std::string folder = "/proc/" + pid + "/fd";
    DIR* fds = ::opendir(folder.c_str());
    if (!fds)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(fds)) {
        if (!isNumber(entry->d_name))
            continue;
        char target[64] = {};
        const ssize_t size = ::readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (size > 0 && std::find(sockets.begin(), sockets.end(), std::string(target, size)) != sockets.end()) {
            found = true;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

std::string commandName(const std::string& pid)
{
    std::ifstream in("/proc/" + pid + "/comm");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "a program" : name;
}

} // namespace

std::vector<PortHolder::Process> PortHolder::ofUdpPort(std::uint16_t port)
{
    std::vector<std::string> sockets;
    collectInodes("/proc/net/udp", port, sockets);
    collectInodes("/proc/net/udp6", port, sockets);
    std::vector<Process> holders;
    if (sockets.empty())
        return holders;
    DIR* processes = ::opendir("/proc");
    if (!processes)
        return holders;
    while (const dirent* entry = ::readdir(processes)) {
        if (!isNumber(entry->d_name) || !holdsOneOf(entry->d_name, sockets))
            continue;
        holders.push_back({std::atoi(entry->d_name), commandName(entry->d_name)});
        if (holders.size() == kMaxHolders)
            break;
    }
    ::closedir(processes);
    return holders;
}

std::string PortHolder::describeUdpPort(std::uint16_t port)
{
    std::string text;
    for (const Process& holder : ofUdpPort(port)) {
        if (!text.empty())
            text += " and ";
        text += holder.name + " (process " + std::to_string(holder.pid) + ")";
    }
    return text;
}

} // namespace uni
