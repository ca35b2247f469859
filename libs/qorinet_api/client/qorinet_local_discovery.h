#pragma once
// Thread "QORINet_Local_Discovery": initialises the driver through a new local node and, when
// done, hands the node to the client (if its kind is wanted) and reports the scan finished.

#include "uni/thread.h"

#include <cstdint>

namespace qorinet_api {

class QORINetClient;

class QORINetLocalDiscovery : public uni::Thread {
public:
    /// Mask bits: 0x1 real local boards, 0x2 simulated local boards; 0 finds nothing.
    static constexpr std::uint32_t kReal = 0x1;
    static constexpr std::uint32_t kSimulated = 0x2;

    QORINetLocalDiscovery(QORINetClient& client, std::uint32_t mask);
    ~QORINetLocalDiscovery() override;

protected:
    void run() override;

private:
    QORINetClient& m_client;
    const std::uint32_t m_mask;
};

} // namespace qorinet_api
