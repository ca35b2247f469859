#pragma once
// Node addresses the operator added by hand, asked directly (unicast) at every scan besides the
// broadcasts, so that a node behind a router or where broadcasts are blocked still appears.
// Kept in one text file in the program's data folder, which the window and zamo2ctl share:
// one dotted address per line, in the order added. Qt-free; any thread, but two programs
// changing the list at the same moment may lose one change (the last write wins whole).

#include "uni/ip_address_pair.h"

#include <cstddef>
#include <string>
#include <vector>

namespace z2e {

class RememberedNodes {
public:
    enum class Outcome { Added, AlreadyThere, Removed, NotThere, Refused, Failed };

    static constexpr std::size_t kMaxAddresses = 256;
    static constexpr const char* kFileName = "remembered-nodes.txt";

    /// The list kept in `folder`, which is made when an address is first added.
    explicit RememberedNodes(std::string folder = defaultFolder());

    /// The program's data folder.
    static std::string defaultFolder();
    std::string path() const { return m_path; }

    /// The remembered addresses in the order added; none when the file is missing or unreadable.
    /// Lines that are not an address that may be remembered are passed over.
    std::vector<std::string> addresses() const;

    /// Remembers `address`; adding it again changes nothing. `message` says what happened, or why
    /// not, in words.
    Outcome add(const std::string& address, std::string& message) const;
    /// Forgets `address`; `message` says what happened in words.
    Outcome remove(const std::string& address, std::string& message) const;

    /// "" when `address` may be remembered, else why not: it must be a dotted IPv4 address of one
    /// host inside the allowed networks, not 0.0.0.0, a broadcast or multicast address, nor the
    /// network or broadcast address of one of `locals` (this computer's networks).
    static std::string refusal(const std::string& address, const uni::ipv4::IpAddressPairList& locals);
    /// The same against this computer's networks, read now.
    static std::string refusal(const std::string& address);

private:
    /// The addresses kept, in `kept`; false with `message` set when the file is there but
    /// cannot be read (too large, not a plain file).
    bool loaded(std::vector<std::string>& kept, std::string& message) const;
    bool store(const std::vector<std::string>& addresses, std::string& message) const;

    std::string m_folder;
    std::string m_path;
};

} // namespace z2e
