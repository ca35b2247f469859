#include "tools/site_sync.h"

#include "tools/asset_register.h"
#include "tools/site_register.h"

#include <cstdint>
#include <vector>

namespace z2e {

SiteSync::SiteSync(AssetRegister& local, SiteRegister& site, std::string computer, std::size_t batch)
    : m_local(local), m_site(site), m_computer(std::move(computer)), m_batch(batch ? batch : kBatch)
{
}

bool SiteSync::fail(const std::string& message)
{
    m_error = message;
    return false;
}

bool SiteSync::run(SiteSyncCounts& counts, const Progress& progress)
{
    counts = {};
    if (!m_site.isOpen() && !m_site.open())
        return fail(m_site.lastError());
    std::vector<AssetRecord> records;
    std::int64_t sentUpTo = 0;
    for (;;) {
        if (!m_local.pendingRecords(m_site.name(), m_batch, records))
            return fail(m_local.lastError());
        if (records.empty())
            return true;
        // A mark that does not move would send the same batch for ever.
        if (records.front().id <= sentUpTo)
            return fail("the asset register did not keep how far it was sent to " + m_site.name() +
                        "; nothing more is sent");
        std::size_t added = 0;
        if (!m_site.upload(records, m_computer, added))
            return fail(m_site.lastError() + "; " + std::to_string(counts.sent) +
                        " records got there before, the rest is sent next time");
        counts.sent += records.size();
        counts.added += added;
        ++counts.batches;
        // Were this lost, the batch would be sent again and add nothing.
        if (!m_local.markUploaded(m_site.name(), records.back().id))
            return fail(m_local.lastError());
        sentUpTo = records.back().id;
        if (progress)
            progress(counts);
    }
}

} // namespace z2e
