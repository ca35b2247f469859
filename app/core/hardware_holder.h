#pragma once
// Who holds the local hardware when the driver answers "in use": the driver takes an exclusive
// advisory lock on its lock file (docs/driver-documents.md), and the kernel's lock table names
// the process that holds it. Linux only; elsewhere, or when the table does not tell, nobody is
// named.

#include <optional>
#include <string>
#include <sys/types.h>

namespace z2e {

struct HardwareHolder {
    pid_t pid = 0;
    std::string name; ///< the process's command name; empty when it could not be read
};

class HardwareHolderLookup {
public:
    /// The lock file the driver uses in this environment.
    static std::string lockFilePath();
    /// The process holding a lock on `lockFile`, from `procRoot` (the proc file system).
    static std::optional<HardwareHolder> holderOf(const std::string& lockFile, const std::string& procRoot = "/proc");
    /// holderOf() the driver's lock file.
    static std::optional<HardwareHolder> find();

    /// The lines that follow the "hardware in use" message: who holds it and, when that is a
    /// copy of this program, that its window shows the local boards and the network nodes.
    static std::string describe(const std::optional<HardwareHolder>& holder);
};

} // namespace z2e
