#pragma once
// A named worker thread with an explicit life cycle. Subclasses implement run() and, when run()
// waits on something, onStop() to make it return.
//
// A subclass must call stop() in its own destructor: ~Thread runs after the subclass is gone, so
// it can only wait for, and at worst interrupt, a body that is still running; it never reaches
// the subclass's onStop().

#include "uni/non_copyable.h"

#include <atomic>
#include <memory>
#include <string>

namespace uni {

class Thread : public NonCopyable {
public:
    enum State : int { Idle = 0, Starting = 1, Running = 2, Stopping = 3 };

    explicit Thread(std::string name, bool logStartEnd = true);
    virtual ~Thread();

    /// Starts run() on a new thread and returns once it runs. 0, or a negative uni result
    /// (-7 when not idle, -9 when the thread cannot be created).
    int start();
    /// Asks run() to return (onStop) and joins, waiting 1 ms then 10 ms at a time. 0 when joined;
    /// -7 in the stopping state or when called from run() itself.
    int stop();

    State state() const { return static_cast<State>(m_state.load()); }
    const std::string& name() const { return m_name; }
    /// True once stop() or cleanup asked this thread to end; run() bodies poll it.
    bool stopRequested() const { return m_state.load() == Stopping; }

protected:
    virtual void run() = 0;
    /// Stop hook: wake run() so that it returns. The default does nothing.
    virtual void onStop() {}

private:
    struct Impl;
    void entry();
    void cleanup();
    std::string threadIdText() const;

    std::string m_name;
    bool m_logStartEnd;
    std::atomic<int> m_state{Idle};
    std::unique_ptr<Impl> m_impl;
};

} // namespace uni
