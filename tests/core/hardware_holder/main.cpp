// Holds the simulated hardware until its standard input closes. Prints "held" once it does,
// or "failed <result>" when the driver refused.

#include "zmpxi/driver_api.h"
#include "qorinet_api/client/qorinet_local_client_node.h"

#include <cstdio>
#include <unistd.h>

int main()
{
    qorinet_api::QORINetLocalClientNode node(7);
    if (z2e::loadDriverApi() > 0)
        node.SetParamStruct_str("driver/api/config/simulation", "mode", "SIMMODE_OFF");
    const std::int32_t result = node.connect();
    if (result > 0) {
        std::printf("failed %d\n", result);
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    node.disconnect();
    return 0;
}
