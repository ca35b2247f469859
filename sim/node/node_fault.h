#pragma once
// The misbehaviours a simulated node can be told to show, so that clients can be tested
// against nodes that break the protocol in known ways.

#include <string>

namespace nodesim {

enum class NodeFault {
    None,
    NeverAnswer,     ///< driver commands are read and never answered
    WrongDigest,     ///< answers to driver commands carry a corrupted digest
    ShortDatagram,   ///< scan answers and announcements are one byte short
    HeartbeatsOnly,  ///< driver commands get heartbeats and never an answer
    CloseMidFrame,   ///< half of the answer to a driver command, then the connection closes
    Slow,            ///< driver commands are answered late, without heartbeats
    UnrelatedFrames, ///< driver commands get frames of another command, never an answer
    Trickle,         ///< answers to driver commands come one byte per fault delay
    NoBroadcast,     ///< broadcast scans never arrive and nothing is announced (a router between)
};

/// Whether `fault` changes the answers to driver commands (the discovery faults do not).
bool changesDriverAnswers(NodeFault fault);

/// The option text of a fault ("never-answer", ...); "none" for None.
const char* nodeFaultName(NodeFault fault);

/// Reads an option text; false for an unknown one.
bool parseNodeFault(const std::string& text, NodeFault& fault);

} // namespace nodesim
