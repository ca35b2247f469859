#pragma once
// Turns the return addresses of a crashed process into readable frames. The addresses are
// looked up in the crashed process's memory map, so libraries loaded after the watchdog was
// forked are named too.

#include "crash/process_maps.h"

#include <cstdint>
#include <string>
#include <vector>

namespace crash_monitor {

class BacktraceSymbolizer {
public:
    /// `tool` is an addr2line-compatible program, searched on PATH.
    explicit BacktraceSymbolizer(std::string tool = "addr2line");

    /// One line per frame: "#N 0xADDRESS in FUNCTION at FILE:LINE (MODULE+0xOFFSET)"; the parts
    /// that cannot be found are left out. Frames are return addresses, except one equal to
    /// `exactAddress`: the instruction a signal interrupted.
    std::vector<std::string> describe(const std::vector<std::uintptr_t>& frames, const ProcessMaps& maps,
                                      std::uintptr_t exactAddress = 0) const;

private:
    struct Lookup;
    void resolveModule(const std::string& module, std::vector<Lookup*>& lookups) const;

    std::string m_tool;
};

} // namespace crash_monitor
