#include "core/fragment_set.h"

namespace z2e {

FragmentSet::FragmentSet(std::initializer_list<std::string_view> fragments)
{
    for (std::string_view fragment : fragments) {
        if (fragment.empty() || m_fragments.size() == kMaxFragments)
            continue;
        m_startingWith[static_cast<unsigned char>(fragment.front())] |= std::uint32_t{1} << m_fragments.size();
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
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::uint32_t candidates = m_startingWith[static_cast<unsigned char>(text[at])] & ~result;
        for (std::size_t place = 0; place < m_fragments.size() && (candidates >> place) != 0; ++place) {
            const std::string_view fragment = m_fragments[place];
            if (((candidates >> place) & 1u) == 0 || text.compare(at, fragment.size(), fragment) != 0)
                continue;
            result |= std::uint32_t{1} << place;
            if (firstOnly)
                return result;
        }
    }
    return result;
}

} // namespace z2e
