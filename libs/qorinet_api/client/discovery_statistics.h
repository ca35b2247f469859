#pragma once
// What discovery did since the client started, for a diagnosis of why nodes do not show up:
// the scan requests per local pair and per node asked directly, and the answers per node
// address. Bounded, and safe to read from any thread while the discovery thread writes.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace qorinet_api {

class DiscoveryStatistics {
public:
    using Clock = std::chrono::steady_clock;

    /// The scan requests that went (or did not go) from one local pair or to one direct node.
    struct Sends {
        std::string local;   ///< the local pair ("address/mask"); for a direct node its address
        std::string target;  ///< where the requests went
        bool direct = false; ///< unicast to a node asked by address
        std::uint64_t sent = 0;
        std::uint64_t failed = 0;
        std::string skipped; ///< why a request was not even tried ("" when it was)
    };

    /// The answers and announcements that named one node address, and those refused that
    /// came from it.
    struct Heard {
        std::string address;
        std::uint64_t answers = 0;
        Clock::time_point last;
        /// The different nodes that answered under this address (more than one: a duplicate).
        std::vector<std::string> identities;
        std::uint64_t refused = 0;
        std::string refusal; ///< why the last refused one was refused
    };

    static constexpr std::size_t kMaxEntries = 1024;
    static constexpr std::size_t kMaxIdentities = 4;
    /// Entries that only refused answers made: garbage from many senders must not crowd the
    /// nodes that answer out of the list.
    static constexpr std::size_t kMaxRefusingSenders = 64;

    /// One request from `local` to `target`; `result` as the socket's send returned it.
    void noteSend(const std::string& local, const std::string& target, bool direct, int result);
    /// A request from `local` that was not tried, and why.
    void noteSkipped(const std::string& local, const std::string& target, const std::string& why);
    /// A valid answer or announcement of the node `identity` at `address`. Returns the place
    /// of its entry for noteRepeatedAnswer(), kNoEntry past the bound.
    std::size_t noteAnswer(const std::string& address, const std::string& identity);
    /// The same answer again, from the same address: as noteAnswer() with its place, without
    /// looking the address up.
    void noteRepeatedAnswer(std::size_t place);
    static constexpr std::size_t kNoEntry = ~std::size_t{0};
    /// An answer or announcement from `sender` that discovery could not use, and why.
    void noteRefused(const std::string& sender, const std::string& why);

    std::vector<Sends> sends() const;
    std::vector<Heard> heard() const;
    std::uint64_t answers() const;
    /// Refused answers from senders past kMaxRefusingSenders, counted but not listed.
    std::uint64_t refusedUnlisted() const;

private:
    Sends& sendsOf(const std::string& local, const std::string& target, bool direct);
    /// The entry of `address`, added when missing; null past the bound.
    Heard* heardOf(const std::string& address);

    mutable std::mutex m_lock;
    std::vector<Sends> m_sends;
    std::vector<Heard> m_heard;
    /// Index into m_heard by address: a fleet answers by the thousand each scan.
    std::unordered_map<std::string, std::size_t> m_heardAt;
    std::uint64_t m_answers = 0;
    std::size_t m_refusingSenders = 0;
    std::uint64_t m_refusedUnlisted = 0;
    Sends m_overflow;
};

} // namespace qorinet_api
