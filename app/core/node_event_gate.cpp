#include "core/node_event_gate.h"

namespace z2e {

void NodeEventGate::whenIdle(std::function<void()> step)
{
    if (m_closed) {
        m_waiting.push_back(std::move(step));
        return;
    }
    step();
}

void NodeEventGate::runClosed(const std::function<void()>& work)
{
    const bool wasClosed = m_closed;
    m_closed = true;
    work();
    m_closed = wasClosed;
    flush();
}

void NodeEventGate::flush()
{
    // A step may close the gate again (a removed node that was shown is released): the rest
    // then waits for that work.
    while (!m_closed && !m_waiting.empty()) {
        std::function<void()> step = std::move(m_waiting.front());
        m_waiting.pop_front();
        step();
    }
}

} // namespace z2e
