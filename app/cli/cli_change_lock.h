#pragma once
// The lock a changing command of zamo2ctl holds on the system it changes (tools/system_lock.h),
// so that the window and other zamo2ctl runs never interleave their changes with its own.

#include "cli_options.h"

#include "tools/system_lock.h"

#include <memory>
#include <string>

namespace z2e {
namespace cli {

/// What the command of `options` does to its system in words ("updating firmware"); "" for a
/// command that only reads, which takes no lock.
std::string changeActivity(const CliOptions& options);

/// Takes the lock of the system the command changes, waiting while another program holds it
/// (saying who) up to --timeout (60 s for commands without a limit). EXIT_OK with `lock` held,
/// or without a lock for a reading command; EXIT_TIMEOUT when it stayed busy, EXIT_CANNOT_CREATE
/// when the lock file cannot be used, each told on standard error.
int lockChangedSystem(const CliOptions& options, std::unique_ptr<SystemLock>& lock);

} // namespace cli
} // namespace z2e
