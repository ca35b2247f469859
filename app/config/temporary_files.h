#pragma once
// The table of the program's live temporary files, emptied from a signal handler or the
// time-out, and the clean-up of those a killed run left behind (see TemporaryFile).

#include <string>

namespace z2e {

/// The table of live temporary files and the clean-up of those of dead runs.
struct TemporaryFiles {
    /// The prefix of every temporary name.
    static const char* const kPrefix; ///< ".z2e-tmp-"

    /// A fresh temporary name of this process.
    static std::string freshName();
    /// Lists `path` as live: removeLive() removes it, and with `withSuffixes` also every file
    /// of its folder named `path` + "." + anything (the temporary files a library makes of
    /// it). The slot to forget, or -1 when the table is full.
    static int remember(const std::string& path, bool withSuffixes = false);
    static void forget(int slot);
    /// Removes every live temporary file. Async-signal-safe: unlink and the folder's raw
    /// listing only.
    static void removeLive();

    /// Removes the temporary files in `folder` that a run which has ended left behind (its
    /// pid gone, or used again by a later process); files of live processes, other names,
    /// links and folders stay. How many were removed.
    static int removeStale(const std::string& folder);
    static int removeStale(int folderFd);

    /// Whether `name` is a temporary name that a live process still owns (this one included).
    static bool ownedByLiveProcess(const std::string& name);

    /// The start of process `pid` (clock ticks after boot), 0 when unknown.
    static unsigned long long processStart(long pid);

    /// For tests: when $ZAMO2_TEST_HOLD is `point` (or "<point>:<text>" and `detail` holds
    /// the text), says "test hold: <point> <detail>" on standard output and waits for a signal
    /// for ever, so that a test can interrupt the program at a known place. Points:
    /// "temporary" (a temporary file written, not yet named; detail its path) and
    /// "report-package" (the archive being written; detail the package's temporary path).
    static void holdForTest(const char* point, const std::string& detail);
};

} // namespace z2e
