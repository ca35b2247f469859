#pragma once
// The memory map of a process as the kernel lists it, used to tell which file a code address
// belongs to and where that file was loaded.

#include <cstdint>
#include <string>
#include <vector>

namespace crash_monitor {

/// One line of the map.
struct MemoryMapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    std::uint64_t fileOffset = 0;
    bool executable = false;
    std::string path; ///< empty for anonymous memory; "[stack]", "[vdso]" … for kernel areas
};

/// A code address expressed against its file.
struct ModuleAddress {
    std::string module;          ///< file path
    std::uintptr_t loadBase = 0; ///< address of the file's first byte in memory
    std::uintptr_t offset = 0;   ///< address − load base
};

class ProcessMaps {
public:
    /// Parses the text of /proc/<pid>/maps; lines that do not parse are skipped.
    static ProcessMaps parse(const std::string& text);

    const std::vector<MemoryMapping>& mappings() const { return m_mappings; }

    /// The file `address` lies in and its offset from the file's load base. False for anonymous
    /// memory, kernel areas and deleted files.
    bool locate(std::uintptr_t address, ModuleAddress& result) const;

private:
    std::vector<MemoryMapping> m_mappings;
};

} // namespace crash_monitor
