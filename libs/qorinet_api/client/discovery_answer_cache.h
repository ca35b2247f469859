#pragma once
// The last discovery document of each sender with what it parsed to. A node answers scan after
// scan with the same bytes; those need not be parsed again. Parsing depends on the bytes alone,
// so a hit yields exactly what parsing would: a changed document is parsed as ever, one that
// does not parse is refused as ever.

#include "qorinet_api/client/discovery_answer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace qorinet_api {

class DiscoveryAnswerCache {
public:
    /// Senders and bytes held at most (documents and their parsed fields, roughly); a new
    /// sender beyond either starts the cache anew, so that no stream of senders or documents
    /// makes it grow without bound.
    static constexpr std::size_t kMaxEntries = 4096;
    static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

    /// What the document `xml` from `sender` parses to; null when it is no valid answer
    /// (DiscoveryAnswer::parse). Valid until the next call.
    const DiscoveryAnswer* get(const std::string& sender, const std::string& xml);
    void clear();

    std::size_t size() const { return m_entries.size(); }
    std::size_t bytes() const { return m_bytes; }
    /// Documents parsed, and documents found unchanged, since construction.
    std::uint64_t parses() const { return m_parses; }
    std::uint64_t hits() const { return m_hits; }

private:
    struct Entry {
        std::string xml;
        bool valid = false;
        DiscoveryAnswer answer;
        std::size_t cost = 0;
    };

    static std::size_t costOf(const Entry& entry);

    std::unordered_map<std::string, Entry> m_entries; ///< by sender address
    std::size_t m_bytes = 0;
    std::uint64_t m_parses = 0;
    std::uint64_t m_hits = 0;
};

} // namespace qorinet_api
