#pragma once
// The discovery thread's state while the client accepts no kind of remote node: no sockets,
// the thread only stays responsive to reconfiguration and stop.

#include "qorinet_api/client/if_client_main_loop.h"

namespace qorinet_api {

class NetDisabled : public IfClientMainLoop {
public:
    void initialise() override {}
    bool open() override { return true; }
    void begin() override {}
    /// Sleeps 20 ms.
    void step() override;
    void close() override {}
};

} // namespace qorinet_api
