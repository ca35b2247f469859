#include "qorinet_api/client/discovery_answer_cache.h"

namespace qorinet_api {

std::size_t DiscoveryAnswerCache::costOf(const Entry& entry)
{
    // The parsed texts are parts of the document: twice its size covers document and texts.
    return sizeof(Entry) + 2 * entry.xml.size() + entry.answer.boards.size() * sizeof(DiscoveryBoard) +
           entry.answer.enclosures.size() * sizeof(DiscoveryEnclosure);
}

const DiscoveryAnswer* DiscoveryAnswerCache::get(const std::string& sender, const std::string& xml)
{
    const auto found = m_entries.find(sender);
    if (found != m_entries.end() && found->second.xml == xml) {
        ++m_hits;
        return found->second.valid ? &found->second.answer : nullptr;
    }
    Entry entry;
    entry.xml = xml;
    // Into a fresh record: parse() sets only what the document has.
    entry.valid = DiscoveryAnswer::parse(xml.data(), xml.size(), entry.answer);
    entry.cost = costOf(entry);
    ++m_parses;
    if (found != m_entries.end()) {
        m_bytes -= found->second.cost;
        m_entries.erase(found);
    }
    if (m_entries.size() >= kMaxEntries || m_bytes + entry.cost > kMaxBytes)
        clear();
    m_bytes += entry.cost;
    const Entry& stored = m_entries.emplace(sender, std::move(entry)).first->second;
    return stored.valid ? &stored.answer : nullptr;
}

void DiscoveryAnswerCache::clear()
{
    m_entries.clear();
    m_bytes = 0;
}

} // namespace qorinet_api
