#include "crash/process_maps.h"

#include <cstdlib>
#include <sstream>

namespace crash_monitor {
namespace {

constexpr std::size_t kMaxMappings = 100000;

bool parseHex(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 16)
        return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 16);
    return end && *end == '\0';
}

bool parseLine(const std::string& line, MemoryMapping& mapping)
{
    std::istringstream in(line);
    std::string range, perms, offset, device, inode;
    if (!(in >> range >> perms >> offset >> device >> inode))
        return false;
    const std::size_t dash = range.find('-');
    std::uint64_t start = 0, end = 0, fileOffset = 0;
    if (dash == std::string::npos || !parseHex(range.substr(0, dash), start) ||
        !parseHex(range.substr(dash + 1), end) || !parseHex(offset, fileOffset) || end <= start)
        return false;
    mapping.start = static_cast<std::uintptr_t>(start);
    mapping.end = static_cast<std::uintptr_t>(end);
    mapping.fileOffset = fileOffset;
    mapping.executable = perms.size() >= 3 && perms[2] == 'x';
    std::getline(in >> std::ws, mapping.path);
    return true;
}

bool isFile(const std::string& path)
{
    static const std::string deleted = " (deleted)";
    if (path.empty() || path.front() != '/')
        return false;
    return path.size() < deleted.size() || path.compare(path.size() - deleted.size(), deleted.size(), deleted) != 0;
}

} // namespace

ProcessMaps ProcessMaps::parse(const std::string& text)
{
    ProcessMaps maps;
    std::istringstream in(text);
    std::string line;
    while (maps.m_mappings.size() < kMaxMappings && std::getline(in, line)) {
        MemoryMapping mapping;
        if (parseLine(line, mapping))
            maps.m_mappings.push_back(std::move(mapping));
    }
    return maps;
}

bool ProcessMaps::locate(std::uintptr_t address, ModuleAddress& result) const
{
    const MemoryMapping* hit = nullptr;
    for (const MemoryMapping& mapping : m_mappings) {
        if (address >= mapping.start && address < mapping.end) {
            hit = &mapping;
            break;
        }
    }
    if (!hit || !isFile(hit->path) || hit->fileOffset > hit->start)
        return false;
    // The ELF header's mapping (file offset 0) is the load base; the nearest one below the hit
    // belongs to the same load of the file. Without it, assume segments sit at their offsets.
    const MemoryMapping* header = nullptr;
    for (const MemoryMapping& mapping : m_mappings) {
        if (mapping.path == hit->path && mapping.fileOffset == 0 && mapping.start <= hit->start &&
            (!header || mapping.start > header->start))
            header = &mapping;
    }
    const std::uintptr_t base = header ? header->start : hit->start - static_cast<std::uintptr_t>(hit->fileOffset);
    result.module = hit->path;
    result.loadBase = base;
    result.offset = address - base;
    return true;
}

} // namespace crash_monitor
