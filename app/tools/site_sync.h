#pragma once
// Sends the local register's records the site register has not had, oldest first, one
// transaction per batch. The local register keeps a mark per site, moved after each batch the
// server committed: a run stopped anywhere (server gone, program killed) sends the rest next
// time, and a batch sent twice adds nothing the second time.

#include <cstddef>
#include <functional>
#include <string>

namespace z2e {

class AssetRegister;
class SiteRegister;

struct SiteSyncCounts {
    std::size_t sent = 0;    ///< records the server committed in this run
    std::size_t added = 0;   ///< of them, those it did not have
    std::size_t batches = 0; ///< transactions committed
};

class SiteSync {
public:
    static constexpr std::size_t kBatch = 5000;
    /// Told after each committed batch.
    using Progress = std::function<void(const SiteSyncCounts&)>;

    /// `site` is opened by run() when it is not; `computer` marks every record sent.
    SiteSync(AssetRegister& local, SiteRegister& site, std::string computer, std::size_t batch = kBatch);

    /// Sends until nothing is left. False with lastError() when the server or the local
    /// register failed; `counts` then says what got there before.
    bool run(SiteSyncCounts& counts, const Progress& progress = {});
    const std::string& lastError() const { return m_error; }

private:
    bool fail(const std::string& message);

    AssetRegister& m_local;
    SiteRegister& m_site;
    std::string m_computer;
    std::size_t m_batch;
    std::string m_error;
};

} // namespace z2e
