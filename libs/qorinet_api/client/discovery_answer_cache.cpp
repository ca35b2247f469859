#include "qorinet_api/client/discovery_answer_cache.h"

#include <functional>

namespace qorinet_api {

namespace {
constexpr std::size_t kFirstSlots = 64;
}

DiscoveryAnswerCache::DiscoveryAnswerCache() : m_key(uni::SipHash::randomKey()), m_slots(kFirstSlots) {}

std::size_t DiscoveryAnswerCache::costOf(const Entry& entry, std::size_t documentSize)
{
    // The parsed texts are parts of the document: its size covers them.
    return sizeof(Entry) + sizeof(Slot) + documentSize + entry.answer.boards.size() * sizeof(DiscoveryBoard) +
           entry.answer.enclosures.size() * sizeof(DiscoveryEnclosure);
}

DiscoveryAnswerCache::Slot& DiscoveryAnswerCache::slotOf(const std::string& sender)
{
    const std::size_t mask = m_slots.size() - 1;
    // Free slots remain: the table is at most half full.
    for (std::size_t at = std::hash<std::string>()(sender) & mask;; at = (at + 1) & mask)
        if (m_slots[at].sender.empty() || m_slots[at].sender == sender)
            return m_slots[at];
}

void DiscoveryAnswerCache::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    for (Slot& slot : old)
        if (!slot.sender.empty())
            slotOf(slot.sender) = std::move(slot);
}

DiscoveryAnswerCache::Lookup DiscoveryAnswerCache::lookUp(const std::string& sender, const std::string& xml)
{
    const std::uint64_t digest = uni::SipHash::digest(m_key, xml.data(), xml.size());
    // An empty sender cannot mark a slot taken: its documents are parsed each time.
    Slot* slot = sender.empty() ? nullptr : &slotOf(sender);
    if (slot && !slot->sender.empty() && slot->digest == digest && slot->size == xml.size()) {
        ++m_hits;
        return {slot->valid ? &m_entries[slot->entry].answer : nullptr, true, slot->entry};
    }
    Entry entry;
    // Into a fresh record: parse() sets only what the document has.
    entry.valid = DiscoveryAnswer::parse(xml.data(), xml.size(), entry.answer);
    entry.cost = costOf(entry, xml.size());
    ++m_parses;
    bool replaced = false;
    if (slot && !slot->sender.empty()) {
        Entry& kept = m_entries[slot->entry];
        m_bytes -= kept.cost;
        if (m_bytes + entry.cost <= kMaxBytes) {
            kept = std::move(entry);
            replaced = true;
        }
    }
    if (!replaced) {
        if (m_entries.size() >= kMaxEntries || m_bytes + entry.cost > kMaxBytes)
            clear();
        if (2 * (m_entries.size() + 1) > m_slots.size())
            grow();
        m_entries.push_back(std::move(entry));
        slot = sender.empty() ? nullptr : &slotOf(sender);
        if (slot) {
            slot->sender = sender;
            slot->entry = static_cast<std::uint32_t>(m_entries.size() - 1);
        }
    }
    const std::size_t place = slot ? slot->entry : m_entries.size() - 1;
    Entry& stored = m_entries[place];
    m_bytes += stored.cost;
    if (slot) {
        slot->digest = digest;
        slot->size = xml.size();
        slot->valid = stored.valid;
    }
    return {stored.valid ? &stored.answer : nullptr, false, place};
}

void DiscoveryAnswerCache::clear()
{
    m_entries.clear();
    m_slots.assign(kFirstSlots, Slot{});
    m_bytes = 0;
}

} // namespace qorinet_api
