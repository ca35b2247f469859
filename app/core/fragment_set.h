#pragma once
// Finds which of a few fixed fragments occur in a text, in one pass over the text. Row texts
// and element names are checked against the same handful of fragments tens of thousands of
// times; a search per fragment went over each text as often as there are fragments.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace z2e {

class FragmentSet {
public:
    static constexpr std::size_t kMaxFragments = 32;

    /// The first kMaxFragments non-empty `fragments`; the texts they view must outlive the set.
    explicit FragmentSet(std::initializer_list<std::string_view> fragments);

    /// Bit i is set when fragment i occurs in `text`.
    std::uint32_t found(std::string_view text) const;
    /// True when any fragment occurs in `text`.
    bool foundAny(std::string_view text) const;

private:
    std::uint32_t scan(std::string_view text, bool firstOnly) const;

    std::vector<std::string_view> m_fragments;
    /// Per first byte, the fragments starting with it.
    std::array<std::uint32_t, 256> m_startingWith{};
    /// Per byte, the longer fragments whose second byte it is: many texts share a first byte
    /// with a fragment, few the first two.
    std::array<std::uint32_t, 256> m_secondByte{};
    std::uint32_t m_oneByte = 0; ///< the one-byte fragments
};

} // namespace z2e
