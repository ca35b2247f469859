#pragma once
// Runs zamo2ctl (from the folder of the test program) as a child process with
// QORINET_ALLOWED_NETWORKS=127.0.0.0/8 forced, whatever the test's own environment says, and
// collects its exit status and both output streams.

#include <string>
#include <vector>

namespace net_test {

class CliProcess {
public:
    struct Outcome {
        int exitStatus = -1; ///< -1: did not exit by itself (killed after the time-out) or not started
        std::string out;
        std::string err;
        long elapsedMs = 0;
    };

    /// Runs the program with `arguments`; kills it after `timeoutMs`.
    static Outcome run(const std::vector<std::string>& arguments, int timeoutMs = 30000);
    /// Path of zamo2ctl.
    static std::string programPath();
};

} // namespace net_test
