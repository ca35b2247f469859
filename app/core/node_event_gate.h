#pragma once
// Keeps node events in order around the window's network work: while a worker talks to a node
// behind the progress window, the modal loop still delivers the pump's queued signals; they
// wait here and run, in arrival order, once the work is done.

#include <deque>
#include <functional>

namespace z2e {

class NodeEventGate {
public:
    /// Runs `step` now, or after the work in progress.
    void whenIdle(std::function<void()> step);
    /// Runs `work` with the gate closed, then the steps that arrived meanwhile.
    void runClosed(const std::function<void()>& work);
    bool closed() const { return m_closed; }

private:
    void flush();

    bool m_closed = false;
    std::deque<std::function<void()>> m_waiting;
};

} // namespace z2e
