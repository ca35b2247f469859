#include "core/discovery_doctor.h"

#include "uni/ip_address_pair.h"

#include <algorithm>
#include <cstdio>

namespace z2e {

namespace {

using Level = DoctorFinding::Level;
using Networks = NetworkClientSettings::Networks;

// Beyond this many nodes that answer as they should, one line counts the rest.
constexpr std::size_t kListedWellNodes = 32;
// A node silent for this many scan intervals has stopped answering.
constexpr std::int64_t kSilentIntervals = 3;

std::string pairText(const std::string& address, const std::string& mask)
{
    return address + "/" + mask;
}

std::string interfaceText(const DiscoveryFacts::Interface& entry)
{
    return entry.name + " " + pairText(entry.address, entry.mask);
}

std::string joined(const std::vector<std::string>& texts, const char* separator = ", ")
{
    std::string out;
    for (const std::string& text : texts)
        out += (out.empty() ? "" : separator) + text;
    return out;
}

std::string seconds(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool isLinkLocal(const std::string& address)
{
    return address.compare(0, 8, "169.254.") == 0;
}

std::vector<const DiscoveryFacts::Interface*> considered(const DiscoveryFacts& facts)
{
    std::vector<const DiscoveryFacts::Interface*> out;
    for (const auto& entry : facts.interfaces)
        if (entry.considered)
            out.push_back(&entry);
    return out;
}

/// Whether `address` lies in the subnet of one of the interfaces scanned from.
bool onOwnNetwork(const DiscoveryFacts& facts, const std::string& address)
{
    for (const auto* entry : considered(facts)) {
        const auto pair = uni::ipv4::IpAddressPair::fromText(entry->address, entry->mask);
        if (pair && pair->contains(address))
            return true;
    }
    return false;
}

bool anyAnswered(const DiscoveryFacts& facts)
{
    return std::any_of(facts.nodes.begin(), facts.nodes.end(),
                       [](const DiscoveryFacts::Node& node) { return node.answers > 0; });
}

class Judge {
public:
    explicit Judge(const DiscoveryFacts& facts) : m_facts(facts), m_answered(anyAnswered(facts)) {}

    std::vector<DoctorFinding> findings()
    {
        networkChoice();
        allowedNetworks();
        ports();
        if (m_facts.networks != Networks::Off) {
            client();
            scans();
            nodes();
        }
        if (m_facts.cancelled)
            add(Level::Warning, "The diagnosis was cancelled after " + seconds(m_facts.scanMs),
                "Nodes that had not answered by then count as silent.", "Run it again and let it finish.");
        return m_findings;
    }

private:
    void add(Level level, std::string title, std::string detail, std::string nextStep = {})
    {
        m_findings.push_back({level, std::move(title), std::move(detail), std::move(nextStep)});
    }

    std::string consideredText() const
    {
        std::vector<std::string> texts;
        for (const auto* entry : considered(m_facts))
            texts.push_back(interfaceText(*entry));
        return joined(texts, "; ");
    }

    void networkChoice()
    {
        std::vector<std::string> all;
        for (const auto& entry : m_facts.interfaces)
            all.push_back(interfaceText(entry));
        const std::string present = all.empty() ? "no interface with an IPv4 address" : joined(all, "; ");
        const std::size_t count = considered(m_facts).size();
        if (m_facts.networks == Networks::Off) {
            add(Level::Problem, "The network side is switched off",
                "Net Settings is set to Off: no node is looked for.", "Choose AUTO or an interface in Net Settings.");
            return;
        }
        if (m_facts.networks == Networks::OneAddress) {
            const std::string chosen = pairText(m_facts.chosenAddress, m_facts.chosenMask);
            if (count == 0) {
                add(Level::Problem, "The chosen address " + m_facts.chosenAddress + " is on no usable interface",
                    "Net Settings names " + chosen + "; this computer has: " + present + ".",
                    "Choose AUTO in Net Settings, or the interface's current address.");
            } else if (!m_answered && m_facts.interfaces.size() > 1) {
                add(Level::Warning, "Nodes are looked for on " + chosen + " only",
                    "This computer also has: " + present + ". Nodes on another interface are not found.",
                    "Choose AUTO in Net Settings to look on every interface.");
            } else {
                add(Level::Ok, "Nodes are looked for on " + chosen + " only", "This computer has: " + present + ".");
            }
        } else if (count == 0) {
            add(Level::Problem, "No interface to look for nodes on",
                "Interfaces that are up: " + present +
                    ". None has an IPv4 address that is allowed and not loopback (loopback counts only when "
                    "QORINET_ALLOWED_NETWORKS admits it).",
                "Connect the network cable, give the interface an address, or widen QORINET_ALLOWED_NETWORKS.");
        } else {
            add(Level::Ok, "Nodes are looked for on " + std::to_string(count) + " interface" + (count == 1 ? "" : "s"),
                "Scanned: " + consideredText() + ". This computer has: " + present + ".");
        }
        for (const auto* entry : considered(m_facts)) {
            if (isLinkLocal(entry->address))
                add(Level::Warning,
                    "This computer's address " + entry->address + " on " + entry->name + " is link-local",
                    "The interface got no address from a DHCP server. No broadcast scan goes out there; only "
                    "link-local nodes already known are asked.",
                    "Give the interface a fixed address in the nodes' subnet, or check the DHCP server.");
        }
    }

    void allowedNetworks()
    {
        if (!m_facts.rejectedEntries.empty())
            add(Level::Warning, "QORINET_ALLOWED_NETWORKS has entries that are no networks",
                "Ignored: " + joined(m_facts.rejectedEntries) + ".", "Write each entry as a.b.c.d/n, comma-separated.");
        if (m_facts.allowsNothing) {
            add(Level::Problem, "QORINET_ALLOWED_NETWORKS allows no network",
                "The variable is set, but without a single valid network, so nothing is scanned or answered.",
                "Unset QORINET_ALLOWED_NETWORKS, or name the nodes' network (for example 192.168.10.0/24).");
            return;
        }
        if (!m_facts.restricted) {
            add(Level::Ok, "Every network is allowed", "QORINET_ALLOWED_NETWORKS is not set.");
            return;
        }
        std::vector<std::string> left;
        for (const auto& entry : m_facts.interfaces)
            if (!entry.allowed)
                left.push_back(interfaceText(entry));
        const std::string title = "Only " + m_facts.allowedNetworks + " is allowed (QORINET_ALLOWED_NETWORKS)";
        if (left.empty()) {
            add(Level::Ok, title, "It leaves out no interface of this computer.");
            return;
        }
        // Left-out interfaces are the likely cause only while no node answers.
        add(m_answered ? Level::Ok : Level::Warning, title, "Left out: " + joined(left, "; ") + ".",
            m_answered ? ""
                       : "If the nodes are on a network left out, add it to QORINET_ALLOWED_NETWORKS or unset it.");
    }

    void ports()
    {
        std::vector<std::string> fine;
        for (const auto& port : m_facts.ports) {
            const std::string name = std::to_string(port.number) + (port.tcp ? "/TCP" : "/UDP");
            if (port.free || port.heldHere) {
                fine.push_back(name + (port.heldHere ? " (this program's own)" : ""));
                continue;
            }
            takenPort(port, name);
        }
        if (!fine.empty())
            add(Level::Ok, "Ports free for this program", joined(fine) + ".");
    }

    void takenPort(const DiscoveryFacts::Port& port, const std::string& name)
    {
        const Level level = port.essential ? Level::Problem : Level::Warning;
        const std::string effect = port.essential ? "No node's answer or announcement reaches a program that looks "
                                                    "for nodes on this base port while it is taken."
                                                  : "Nodes are found, but " + port.purpose + " cannot be received.";
        std::vector<std::string> holders;
        for (const auto& process : port.holders)
            holders.push_back(process.name + " (process " + std::to_string(process.pid) + ")");
        std::vector<std::string> owners;
        for (const std::uint32_t uid : port.unseenOwners)
            owners.push_back("uid " + std::to_string(uid));
        if (!holders.empty()) {
            add(level, "Port " + name + " (" + port.purpose + ") is taken by " + joined(holders, " and "), effect,
                "Close " + joined(holders, " and ") +
                    " (one program on this computer looks for nodes at a time), or give this program another base "
                    "port.");
        } else if (!owners.empty()) {
            add(level, "Port " + name + " (" + port.purpose + ") is taken by a program of another user",
                effect + " The socket belongs to " + joined(owners) +
                    "; this user may not look into that user's programs, so their name cannot be told.",
                "Ask an administrator to find and close it (ss -lpn 'sport = :" + std::to_string(port.number) +
                    "' as root), or give this program another base port.");
        } else if (!port.error.empty() && port.error.find("in use") != std::string::npos) {
            add(level, "Port " + name + " (" + port.purpose + ") is taken",
                effect + " This computer does not tell which program holds it.",
                "Look for another program that talks to the nodes and close it, or give this program another base "
                "port.");
        } else {
            add(level, "Port " + name + " (" + port.purpose + ") cannot be used",
                effect + " The system says: " + port.error + ".",
                "Give this program another base port, or ask an administrator why the port is refused.");
        }
    }

    void client()
    {
        if (!m_facts.clientFailure.empty())
            add(Level::Problem, "Nodes could not be looked for",
                "The diagnosis found that " + m_facts.clientFailure + ".",
                "See the program's log for why, then run the diagnosis again.");
    }

    void scans()
    {
        if (!m_facts.clientStarted)
            return;
        if (m_facts.scanRounds == 0 && !m_facts.cancelled) {
            add(Level::Problem, "No scan was sent", "The network client ran but sent no scan request.",
                "See the program's log for why.");
            return;
        }
        for (const auto& scan : m_facts.scans) {
            if (scan.direct)
                continue;
            const std::string where = "from " + scan.local + (scan.target.empty() ? "" : " to " + scan.target);
            if (!scan.skipped.empty() && scan.sent == 0 && scan.failed == 0) {
                add(Level::Warning, "No scan " + where, "The scan was not sent: " + scan.skipped + ".",
                    "Nodes there are only found when asked by address.");
            } else if (scan.failed > 0 && scan.sent == 0) {
                add(Level::Problem, "Scans " + where + " could not be sent",
                    std::to_string(scan.failed) + " attempts failed.",
                    "Check that the interface is up and that a firewall lets broadcasts out.");
            } else {
                add(scan.failed > 0 ? Level::Warning : Level::Ok, "Scans went out " + where,
                    std::to_string(scan.sent) + " sent" +
                        (scan.failed > 0 ? ", " + std::to_string(scan.failed) + " failed" : std::string()) + ".",
                    scan.failed > 0 ? "Check that the interface is steady and a firewall lets broadcasts out." : "");
            }
        }
    }

    std::uint64_t directSends(const std::string& address) const
    {
        for (const auto& scan : m_facts.scans)
            if (scan.direct && scan.target == address)
                return scan.sent;
        return 0;
    }

    void nodes()
    {
        if (!m_facts.clientStarted)
            return;
        const std::string scanPort = std::to_string(m_facts.scanPort);
        if (!m_answered) {
            add(Level::Problem, "No node answered within " + seconds(m_facts.scanMs),
                counted(m_facts.scanRounds, "round", "rounds") + " of scans sent to UDP port " + scanPort + ".",
                "Check that the nodes are switched on and cabled to this computer's network. A node in another "
                "subnet is only found when asked by its address (remember it). A firewall must let the nodes' "
                "answers in; some switches, VPNs and Wi-Fi networks do not pass broadcasts.");
        }
        std::size_t listed = 0;
        std::size_t unlisted = 0;
        for (const auto& node : m_facts.nodes) {
            const std::size_t before = m_findings.size();
            if (node.answers > 0)
                judgeAnswering(node);
            else if (node.refused > 0)
                refusedAnswers(node);
            else if (node.remembered)
                silentRemembered(node, scanPort);
            if (node.answers == 0 || m_findings.size() != before)
                continue;
            if (listed++ < kListedWellNodes)
                add(Level::Ok, nodeTitle(node) + " answers",
                    std::to_string(node.answers) + " answers, the last " + seconds(node.msSinceAnswer) + " ago.");
            else
                ++unlisted;
        }
        if (unlisted > 0)
            add(Level::Ok, std::to_string(unlisted) + " more nodes answer", "They are not listed one by one.");
        if (m_facts.refusedUnlisted > 0)
            add(Level::Warning, "Unusable answers came from many more senders",
                counted(m_facts.refusedUnlisted, "answer", "answers") +
                    " from senders beyond those listed were refused too; so many point to a device flooding the "
                    "network, not to a misconfigured node.",
                "Find the device that sends them (a network capture shows its address) and switch it off or move "
                "it to another network.");
    }

    static std::string nodeTitle(const DiscoveryFacts::Node& node)
    {
        const std::string who = node.identities.size() == 1 ? node.identities.front() + " at " : std::string();
        return (node.remembered ? "Remembered node " : "Node ") + who + node.address;
    }

    /// Adds what is wrong with a node that answered.
    void judgeAnswering(const DiscoveryFacts::Node& node)
    {
        if (node.identities.size() > 1) {
            add(Level::Problem, "Several nodes answer as " + node.address,
                "Heard under this one address: " + joined(node.identities, "; ") +
                    ". The list shows one of them at a time, and a connection reaches either.",
                "Give each node an address of its own (Change Node IP, or the nodes' DHCP server).");
        }
        if (isLinkLocal(node.address)) {
            add(Level::Warning, nodeTitle(node) + " has a link-local address",
                "The node got no address from a DHCP server and chose one itself; it changes when the node restarts.",
                "Give the node a fixed address in this computer's subnet (Change Node IP), or check the DHCP server.");
        } else if (!onOwnNetwork(m_facts, node.address)) {
            add(Level::Warning, nodeTitle(node) + " is on none of this computer's networks",
                "It answers, but its address lies outside " + consideredText() +
                    "; connections go through a router, which a firewall may block.",
                "Put the node into this computer's subnet (Change Node IP), or check the route and the firewall.");
        }
        const std::int64_t silentMs = kSilentIntervals * static_cast<std::int64_t>(m_facts.scanIntervalMs);
        if (m_facts.scanIntervalMs > 0 && node.msSinceAnswer > silentMs) {
            add(Level::Warning, nodeTitle(node) + " stopped answering",
                "Its last answer came " + seconds(node.msSinceAnswer) + " ago, after " + std::to_string(node.answers) +
                    " answers.",
                "Check the node's power and cable; it may be restarting.");
        }
    }

    // Something answered, so "does not answer" would send the operator to the cable.
    void refusedAnswers(const DiscoveryFacts::Node& node)
    {
        add(Level::Problem, nodeTitle(node) + " answers, but its answers cannot be used",
            counted(node.refused, "answer", "answers") + " came from " + node.address +
                "; the last was refused: " + node.refusal + ".",
            "Check the IP settings (address, mask and port) on the node itself, then restart it.");
    }

    void silentRemembered(const DiscoveryFacts::Node& node, const std::string& scanPort)
    {
        if (!node.allowed) {
            add(Level::Warning, "Remembered node " + node.address + " is not asked",
                "Its address is outside the allowed networks (" + m_facts.allowedNetworks + ").",
                "Add its network to QORINET_ALLOWED_NETWORKS, or unset it.");
            return;
        }
        const std::uint64_t asked = directSends(node.address);
        std::string detail =
            "Asked " + counted(asked, "time", "times") + " by address on UDP port " + scanPort + "; no answer came.";
        if (!onOwnNetwork(m_facts, node.address))
            detail += " The address is on none of this computer's networks: requests and answers must pass a router.";
        add(Level::Problem, "Remembered node " + node.address + " does not answer", detail,
            "Check that the node is switched on and still has this address, that it can be reached (ping " +
                node.address + "), and that firewalls let UDP port " + scanPort + " through and the answers back.");
    }

    const DiscoveryFacts& m_facts;
    const bool m_answered;
    std::vector<DoctorFinding> m_findings;
};

} // namespace

std::vector<DoctorFinding> DiscoveryDoctor::judge(const DiscoveryFacts& facts)
{
    return Judge(facts).findings();
}

std::vector<DoctorFinding> DiscoveryDoctor::run(const DiscoveryProbe::Options& options, const std::atomic<bool>& cancel)
{
    return judge(DiscoveryProbe().examine(options, cancel));
}

bool DiscoveryDoctor::allWell(const std::vector<DoctorFinding>& findings)
{
    return std::all_of(findings.begin(), findings.end(),
                       [](const DoctorFinding& finding) { return finding.level == DoctorFinding::Level::Ok; });
}

} // namespace z2e
