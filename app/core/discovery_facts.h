#pragma once
// What a look at this computer's network side found, as plain values: the interfaces and the
// ones the network client scans from, the allowed networks, the ports, the scans sent and the
// nodes that answered or were asked by address. DiscoveryDoctor judges them.

#include "core/network_client_settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

struct DiscoveryFacts {
    struct Interface {
        std::string name; ///< "eth0"
        std::string address;
        std::string mask;
        bool loopback = false;
        bool allowed = true;     ///< within QORINET_ALLOWED_NETWORKS
        bool considered = false; ///< the client scans from it
    };

    struct Process {
        int pid = 0;
        std::string name;
    };

    struct Port {
        std::uint16_t number = 0;
        bool tcp = false;
        std::string purpose;    ///< "the nodes' answers"
        bool essential = false; ///< taken, no node can be found
        bool free = true;
        std::string error;                       ///< why it could not be bound
        std::vector<Process> holders;            ///< the programs that hold it, where this user may see them
        std::vector<std::uint32_t> unseenOwners; ///< user ids of holders that could not be seen
        bool heldHere = false;                   ///< by this very program
    };

    struct Scan {
        std::string local;  ///< "address/mask", or the address of a node asked directly
        std::string target; ///< where the requests went
        bool direct = false;
        std::uint64_t sent = 0;
        std::uint64_t failed = 0;
        std::string skipped; ///< why no request was tried
    };

    struct Node {
        std::string address;
        /// The different nodes heard under this address; none when it never answered.
        std::vector<std::string> identities;
        std::uint64_t answers = 0;
        std::int64_t msSinceAnswer = -1; ///< -1: never answered
        bool remembered = false;         ///< asked by address at every scan
        bool allowed = true;
        std::uint64_t refused = 0; ///< answers from this address that discovery could not use
        std::string refusal;       ///< why the last of them was refused
    };

    NetworkClientSettings::Networks networks = NetworkClientSettings::Networks::AllInterfaces;
    std::string chosenAddress; ///< OneAddress
    std::string chosenMask;

    std::string allowedNetworks; ///< "any", "none" or the networks
    bool restricted = false;
    bool allowsNothing = false;
    std::vector<std::string> rejectedEntries;

    std::vector<Interface> interfaces;
    std::vector<Port> ports;

    bool clientStarted = false;
    std::string clientFailure;
    std::uint16_t scanPort = 0; ///< where the nodes take scans
    std::uint32_t scanMs = 0;   ///< how long it listened
    std::uint32_t scanIntervalMs = 0;
    std::uint64_t scanRounds = 0;
    bool cancelled = false;
    std::vector<Scan> scans;
    std::vector<Node> nodes;
    std::uint64_t refusedUnlisted = 0; ///< refused answers from senders past the list's bound
};

} // namespace z2e
