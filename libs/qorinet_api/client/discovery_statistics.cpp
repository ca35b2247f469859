#include "qorinet_api/client/discovery_statistics.h"

#include <algorithm>

namespace qorinet_api {

DiscoveryStatistics::Sends& DiscoveryStatistics::sendsOf(const std::string& local, const std::string& target,
                                                         bool direct)
{
    const auto found = std::find_if(m_sends.begin(), m_sends.end(), [&](const Sends& entry) {
        return entry.local == local && entry.target == target && entry.direct == direct;
    });
    if (found != m_sends.end())
        return *found;
    // Past the bound, what is counted goes nowhere rather than grow without end.
    if (m_sends.size() >= kMaxEntries)
        return m_overflow;
    m_sends.push_back({local, target, direct, 0, 0, {}});
    return m_sends.back();
}

void DiscoveryStatistics::noteSend(const std::string& local, const std::string& target, bool direct, int result)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Sends& entry = sendsOf(local, target, direct);
    if (result >= 0)
        ++entry.sent;
    else
        ++entry.failed;
    entry.skipped.clear();
}

void DiscoveryStatistics::noteSkipped(const std::string& local, const std::string& target, const std::string& why)
{
    std::lock_guard<std::mutex> lock(m_lock);
    sendsOf(local, target, false).skipped = why;
}

DiscoveryStatistics::Heard* DiscoveryStatistics::heardOf(const std::string& address)
{
    const auto at = m_heardAt.find(address);
    if (at != m_heardAt.end())
        return &m_heard[at->second];
    if (m_heard.size() >= kMaxEntries)
        return nullptr;
    m_heardAt.emplace(address, m_heard.size());
    m_heard.push_back({});
    m_heard.back().address = address;
    return &m_heard.back();
}

std::size_t DiscoveryStatistics::noteAnswer(const std::string& address, const std::string& identity)
{
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_answers;
    Heard* found = heardOf(address);
    if (!found)
        return kNoEntry;
    ++found->answers;
    found->last = Clock::now();
    if (found->identities.size() < kMaxIdentities &&
        std::find(found->identities.begin(), found->identities.end(), identity) == found->identities.end())
        found->identities.push_back(identity);
    return static_cast<std::size_t>(found - m_heard.data());
}

void DiscoveryStatistics::noteRepeatedAnswer(std::size_t place)
{
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_answers;
    // Entries are never taken out, so a place once given stays that address's.
    if (place >= m_heard.size())
        return;
    ++m_heard[place].answers;
    m_heard[place].last = Clock::now();
}

void DiscoveryStatistics::noteRefused(const std::string& sender, const std::string& why)
{
    std::lock_guard<std::mutex> lock(m_lock);
    const bool known = m_heardAt.count(sender) != 0;
    Heard* found = known || m_refusingSenders < kMaxRefusingSenders ? heardOf(sender) : nullptr;
    if (!found) {
        ++m_refusedUnlisted;
        return;
    }
    if (!known)
        ++m_refusingSenders;
    ++found->refused;
    found->refusal = why;
}

std::vector<DiscoveryStatistics::Sends> DiscoveryStatistics::sends() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sends;
}

std::vector<DiscoveryStatistics::Heard> DiscoveryStatistics::heard() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_heard;
}

std::uint64_t DiscoveryStatistics::answers() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_answers;
}

std::uint64_t DiscoveryStatistics::refusedUnlisted() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_refusedUnlisted;
}

} // namespace qorinet_api
