#include "core/node_address_check.h"

#include "uni/net_if_provider.h"

#include <arpa/inet.h>

#include <algorithm>
#include <set>

namespace z2e {

namespace {

// Enough to step past every node of the largest list the client keeps.
constexpr std::uint32_t kFreeSearchLimit = 4096;
constexpr std::size_t kNamesShown = 4;

std::string withPrefix(const std::string& address, const std::string& mask)
{
    const auto value = uni::ipv4::parseAddress(mask);
    const int prefix = value ? uni::ipv4::prefixFromMask(*value) : -1;
    return prefix < 0 ? address : address + "/" + std::to_string(prefix);
}

std::string networkText(const NodeAddressCheck::LocalNetwork& local)
{
    const std::string network = uni::ipv4::addressText(local.pair.network().value_or(0));
    std::string text = withPrefix(network, local.pair.maskText());
    if (!local.interfaceName.empty())
        text += " on " + local.interfaceName;
    return text;
}

std::string nameOf(const NodeAddressCheck::Node& node)
{
    return node.name.empty() ? "a node without a name" : node.name;
}

} // namespace

NodeAddressCheck::NodeAddressCheck(std::vector<LocalNetwork> locals) : m_locals(std::move(locals)) {}

std::vector<NodeAddressCheck::Verdict> NodeAddressCheck::judge(const std::vector<Node>& nodes) const
{
    std::vector<Verdict> verdicts(nodes.size());
    // Host order; each address offered joins them, so that no two nodes are offered the same.
    std::set<std::uint32_t> taken;
    for (const Node& node : nodes)
        if (const auto used = uni::ipv4::parseAddress(node.address))
            taken.insert(ntohl(*used));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Node& node = nodes[i];
        Verdict& verdict = verdicts[i];
        const auto address = uni::ipv4::parseAddress(node.address);
        if (!address) {
            verdict.status = kInconsistent;
            verdict.problem = "the node claims \"" + node.address + "\", which is not an IPv4 address";
            offerFreeAddress(heardBy(node), taken, verdict);
            continue;
        }
        std::vector<std::string> claimants;
        for (const Node& other : nodes)
            if (other.address == node.address)
                claimants.push_back(nameOf(other));
        const LocalNetwork* inside = nullptr;
        for (const LocalNetwork& local : m_locals)
            if (!inside && local.pair.contains(*address))
                inside = &local;
        std::vector<std::string> problems;
        if (!inside && !m_locals.empty())
            problems.push_back(outsideText(node));
        if (claimants.size() > 1) {
            verdict.conflict = true;
            std::string names;
            for (std::size_t n = 0; n < claimants.size() && n < kNamesShown; ++n)
                names += (n ? ", " : "") + claimants[n];
            if (claimants.size() > kNamesShown)
                names += ", ...";
            problems.push_back("address " + node.address + " is claimed by " + std::to_string(claimants.size()) +
                               " nodes (" + names + ")");
        }
        if (problems.empty())
            continue;
        verdict.status = kInconsistent;
        for (const std::string& problem : problems)
            verdict.problem += (verdict.problem.empty() ? "" : "; ") + problem;
        offerFreeAddress(inside ? inside : heardBy(node), taken, verdict);
    }
    return verdicts;
}

const NodeAddressCheck::LocalNetwork* NodeAddressCheck::heardBy(const Node& node) const
{
    for (const LocalNetwork& local : m_locals)
        if (!node.clientAddress.empty() && local.pair.address() == node.clientAddress)
            return &local;
    return m_locals.size() == 1 ? &m_locals.front() : nullptr;
}

std::string NodeAddressCheck::outsideText(const Node& node) const
{
    const std::string claimed = "node " + withPrefix(node.address, node.mask);
    if (const LocalNetwork* local = heardBy(node))
        return claimed + " is not in this computer's " + networkText(*local);
    std::string networks;
    for (const LocalNetwork& local : m_locals)
        networks += (networks.empty() ? "" : ", ") + networkText(local);
    return claimed + " is not in any of this computer's networks (" + networks + ")";
}

void NodeAddressCheck::offerFreeAddress(const LocalNetwork* local, std::set<std::uint32_t>& taken,
                                        Verdict& verdict) const
{
    if (!local && !m_locals.empty())
        local = &m_locals.front();
    const auto own = local ? local->pair.addressValue() : std::nullopt;
    if (!own)
        return;
    const std::uint32_t mask = ntohl(local->pair.netmask());
    const std::uint32_t network = ntohl(*own) & mask;
    const std::uint32_t broadcast = network | ~mask;
    // The walk starts past the computer's own address and stops before coming back to it.
    const std::uint32_t hosts = ~mask;
    for (std::uint32_t step = 1; step <= hosts && step <= kFreeSearchLimit; ++step) {
        const std::uint32_t candidate = network | ((ntohl(*own) - network + step) & hosts);
        if (candidate == network || candidate == broadcast || taken.count(candidate) != 0)
            continue;
        verdict.freeAddress = uni::ipv4::addressText(htonl(candidate));
        verdict.freeMask = local->pair.maskText();
        taken.insert(candidate);
        return;
    }
}

std::vector<NodeAddressCheck::LocalNetwork> NodeAddressCheck::named(const uni::ipv4::IpAddressPairList& pairs,
                                                                    const uni::IfNetIfProvider& interfaces)
{
    uni::NetInterfaceList list;
    if (interfaces.allInterfaces(list) != 0)
        list.clear();
    std::vector<LocalNetwork> locals;
    for (const auto& pair : pairs) {
        LocalNetwork local{pair, {}};
        for (const uni::NetInterface& entry : list) {
            const bool carries =
                std::any_of(entry.addresses.begin(), entry.addresses.end(),
                            [&](const uni::ipv4::IpAddressPair& a) { return a.address() == pair.address(); });
            if (carries && local.interfaceName.empty())
                local.interfaceName = entry.name;
        }
        locals.push_back(local);
    }
    return locals;
}

std::vector<NodeAddressCheck::LocalNetwork> NodeAddressCheck::named(const uni::ipv4::IpAddressPairList& pairs)
{
    return named(pairs, uni::NetIfProvider());
}

} // namespace z2e
