#include "core/fragment_set.h"

#include <cstring>

namespace z2e {

FragmentSet::FragmentSet(std::initializer_list<std::string_view> fragments)
{
    for (std::string_view fragment : fragments) {
        if (fragment.empty() || m_fragments.size() == kMaxFragments)
            continue;
        const std::uint32_t bit = std::uint32_t{1} << m_fragments.size();
        m_startingWith[static_cast<unsigned char>(fragment.front())] |= bit;
        if (fragment.size() > 1)
            m_secondByte[static_cast<unsigned char>(fragment[1])] |= bit;
        else
            m_oneByte |= bit;
        m_fragments.push_back(fragment);
    }
}

std::uint32_t FragmentSet::found(std::string_view text) const
{
    return scan(text, false);
}

bool FragmentSet::foundAny(std::string_view text) const
{
    return scan(text, true) != 0;
}

std::uint32_t FragmentSet::scan(std::string_view text, bool firstOnly) const
{
    std::uint32_t result = 0;
    const std::size_t size = text.size();
    for (std::size_t at = 0; at < size; ++at) {
        std::uint32_t candidates = m_startingWith[static_cast<unsigned char>(text[at])] & ~result;
        if (candidates == 0)
            continue;
        candidates &= m_oneByte | (at + 1 < size ? m_secondByte[static_cast<unsigned char>(text[at + 1])] : 0u);
        for (std::size_t place = 0; candidates != 0; ++place, candidates >>= 1) {
            const std::string_view fragment = m_fragments[place];
            if ((candidates & 1u) == 0 || fragment.size() > size - at ||
                std::memcmp(text.data() + at, fragment.data(), fragment.size()) != 0)
                continue;
            result |= std::uint32_t{1} << place;
            if (firstOnly)
                return result;
        }
    }
    return result;
}

} // namespace z2e
