#include "qorinet_api/client/net_disabled.h"

#include "uni/timer.h"

namespace qorinet_api {

void NetDisabled::step()
{
    uni::Timer::sleepMs(20);
}

} // namespace qorinet_api
