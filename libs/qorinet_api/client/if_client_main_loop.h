#pragma once
// State object of the discovery thread: what one pass of its loop does. The enabled state owns
// the discovery socket; the disabled state only keeps the thread alive.

namespace qorinet_api {

class IfClientMainLoop {
public:
    virtual ~IfClientMainLoop() = default;
    /// Resets the state's bookkeeping.
    virtual void initialise() = 0;
    /// Opens what the state needs. False when that failed and the loop cannot run.
    virtual bool open() = 0;
    /// Starts the timing; the first scan is due at once.
    virtual void begin() = 0;
    /// One pass: waits at most a few tens of milliseconds.
    virtual void step() = 0;
    /// Ends the loop work and closes what open() opened.
    virtual void close() = 0;
};

} // namespace qorinet_api
