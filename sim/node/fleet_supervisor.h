#pragma once
// Runs a fleet: one child process per member, each this simulator playing one node with a
// driver of its own. The children die with this process (PR_SET_PDEATHSIG); INT, TERM and
// USR1 are passed on to them; a child that ends early is reported and the others go on.

#include "fleet_plan.h"

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace nodesim {

class FleetSupervisor {
public:
    /// How long stopping children get before they are killed.
    static constexpr std::chrono::seconds kStopGrace{10};

    /// Starts every member, prints a "node" line per member and "ready" once all are ready,
    /// and returns when all have ended: 0 when they ran until told to stop and ended cleanly,
    /// 1 when one could not start (the others are stopped then), ended early or badly.
    /// `signals` (INT, TERM, USR1) must be blocked in every thread of this process.
    int run(const FleetPlan& plan, const sigset_t& signals);

private:
    struct Child {
        const FleetMember* member = nullptr;
        pid_t pid = -1;
        int output = -1;      ///< its standard output, until it ends
        std::string pending;  ///< an incomplete line
        std::string nodeLine; ///< its "node" line, with the fleet's numbering
        bool ready = false;
        bool running = false;
    };

    bool spawn(Child& child, const std::vector<std::string>& args, const sigset_t& childMask);
    void readOutput(Child& child);
    void takeLine(Child& child, const std::string& line);
    void reap();
    void ended(Child& child, int status);
    void forward(int signal);
    void beginStop();
    void killStragglers();
    void announceWhenReady();
    bool anyRunning() const;

    std::vector<Child> m_children;
    bool m_announced = false;
    bool m_stopping = false;
    bool m_failed = false;
    std::chrono::steady_clock::time_point m_deadline;
};

} // namespace nodesim
