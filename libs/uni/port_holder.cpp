#include "uni/port_holder.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace uni {

namespace {

constexpr std::size_t kMaxHolders = 4;
constexpr std::size_t kMaxTableLines = 65536;

struct Socket {
    std::string link; ///< "socket:[inode]", as /proc/PID/fd shows it
    std::uint32_t uid = 0;
};

// TCP's listening state in the /proc tables.
const char* const kListening = "0A";

/// Sockets bound to `port` in one /proc/net table ("sl local rem st ... uid timeout inode").
void collectSockets(const char* table, std::uint16_t port, bool listeningOnly, std::vector<Socket>& sockets)
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
        if (colon == std::string::npos || (listeningOnly && state != kListening))
            continue;
        char* end = nullptr;
        const unsigned long localPort = std::strtoul(local.c_str() + colon + 1, &end, 16);
        if (*end != '\0' || localPort != port || inode == "0")
            continue;
        const unsigned long owner = std::strtoul(uid.c_str(), &end, 10);
        sockets.push_back({"socket:[" + inode + "]", static_cast<std::uint32_t>(owner)});
    }
}

bool isNumber(const char* text)
{
    return *text != '\0' &&
           std::all_of(text, text + std::char_traits<char>::length(text), [](char c) { return c >= '0' && c <= '9'; });
}

/// The sockets among `sockets` that process `pid` holds open; they are taken out of the list.
bool takeHeld(const std::string& pid, std::vector<Socket>& sockets)
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
        if (size <= 0)
            continue;
        const std::string link(target, static_cast<std::size_t>(size));
        const auto held =
            std::remove_if(sockets.begin(), sockets.end(), [&](const Socket& s) { return s.link == link; });
        if (held != sockets.end()) {
            sockets.erase(held, sockets.end());
            found = true;
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
    // A program names itself: what it chose must not steer the terminal the name is shown on.
    std::replace_if(
        name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return name.empty() ? "a program" : name;
}

} // namespace

PortHolder::Holders PortHolder::of(Protocol protocol, std::uint16_t port)
{
    std::vector<Socket> sockets;
    const bool tcp = protocol == Protocol::Tcp;
    collectSockets(tcp ? "/proc/net/tcp" : "/proc/net/udp", port, tcp, sockets);
    collectSockets(tcp ? "/proc/net/tcp6" : "/proc/net/udp6", port, tcp, sockets);
    Holders holders;
    if (sockets.empty())
        return holders;
    if (DIR* processes = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(processes)) {
            if (sockets.empty() || holders.processes.size() == kMaxHolders)
                break;
            if (isNumber(entry->d_name) && takeHeld(entry->d_name, sockets))
                holders.processes.push_back({std::atoi(entry->d_name), commandName(entry->d_name)});
        }
        ::closedir(processes);
    }
    for (const Socket& socket : sockets) {
        if (holders.unseenOwners.size() < kMaxHolders &&
            std::find(holders.unseenOwners.begin(), holders.unseenOwners.end(), socket.uid) ==
                holders.unseenOwners.end())
            holders.unseenOwners.push_back(socket.uid);
    }
    return holders;
}

std::vector<PortHolder::Process> PortHolder::ofUdpPort(std::uint16_t port)
{
    return of(Protocol::Udp, port).processes;
}

std::string PortHolder::describe(const std::vector<Process>& processes)
{
    std::string text;
    for (const Process& holder : processes) {
        if (!text.empty())
            text += " and ";
        text += holder.name + " (process " + std::to_string(holder.pid) + ")";
    }
    return text;
}

std::string PortHolder::describeUdpPort(std::uint16_t port)
{
    return describe(ofUdpPort(port));
}

} // namespace uni
