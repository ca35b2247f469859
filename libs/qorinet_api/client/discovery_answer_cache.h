#pragma once
// What the last discovery document of each sender parsed to. A node answers scan after scan
// with the same bytes; those need not be parsed again. A document is known again by its length
// and a keyed digest (uni::SipHash, a key of its own per cache), not by its text: a scan of a
// large network then reads one small record per answer instead of a kilobyte kept elsewhere.
// Parsing depends on the bytes alone, so a hit yields what parsing would (a different document
// passes for the last one with a chance of 2^-64 that no sender can aim at); a changed
// document is parsed as ever, one that does not parse is refused as ever.

#include "qorinet_api/client/discovery_answer.h"

#include "uni/sip_hash.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qorinet_api {

class DiscoveryAnswerCache {
public:
    /// Senders and bytes held at most (parsed fields, roughly); a new sender beyond either
    /// starts the cache anew, so that no stream of senders or documents makes it grow without
    /// bound.
    static constexpr std::size_t kMaxEntries = 4096;
    static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

    struct Lookup {
        const DiscoveryAnswer* answer = nullptr; ///< null when the document is no valid answer
        bool unchanged = false;                  ///< the same document as the sender's last one
        /// The sender's place, below kMaxEntries: the same for the same sender until a
        /// document is parsed again (another may have it after a new start).
        std::size_t place = 0;
    };

    DiscoveryAnswerCache();

    /// What the document `xml` from `sender` parses to; its answer is valid until the next call.
    Lookup lookUp(const std::string& sender, const std::string& xml);
    /// lookUp()'s answer alone.
    const DiscoveryAnswer* get(const std::string& sender, const std::string& xml) { return lookUp(sender, xml).answer; }
    void clear();

    std::size_t size() const { return m_entries.size(); }
    std::size_t bytes() const { return m_bytes; }
    /// Documents parsed, and documents found unchanged, since construction.
    std::uint64_t parses() const { return m_parses; }
    std::uint64_t hits() const { return m_hits; }

private:
    // What a hit reads, kept small and together; the parsed answers lie apart.
    struct Slot {
        std::string sender; ///< empty: free
        std::uint64_t digest = 0;
        std::size_t size = 0;
        std::uint32_t entry = 0;
        bool valid = false; ///< the entry's, here too so that a hit need not read the entry
    };
    struct Entry {
        bool valid = false;
        DiscoveryAnswer answer;
        std::size_t cost = 0;
    };

    Slot& slotOf(const std::string& sender);
    void grow();
    static std::size_t costOf(const Entry& entry, std::size_t documentSize);

    uni::SipHash::Key m_key;
    std::vector<Slot> m_slots; ///< open addressing by sender, a power of two long
    std::vector<Entry> m_entries;
    std::size_t m_bytes = 0;
    std::uint64_t m_parses = 0;
    std::uint64_t m_hits = 0;
};

} // namespace qorinet_api
