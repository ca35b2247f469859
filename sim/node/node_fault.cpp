#include "node_fault.h"

#include <iterator>

namespace nodesim {

namespace {

struct FaultName {
    NodeFault fault;
    const char* name;
};

constexpr FaultName kNames[] = {
    {NodeFault::None, "none"},
    {NodeFault::NeverAnswer, "never-answer"},
    {NodeFault::WrongDigest, "wrong-digest"},
    {NodeFault::ShortDatagram, "short-datagram"},
    {NodeFault::HeartbeatsOnly, "heartbeats-only"},
    {NodeFault::CloseMidFrame, "close-mid-frame"},
    {NodeFault::Slow, "slow"},
    {NodeFault::UnrelatedFrames, "unrelated-frames"},
    {NodeFault::Trickle, "trickle"},
    {NodeFault::NoBroadcast, "no-broadcast"},
};

} // namespace

bool changesDriverAnswers(NodeFault fault)
{
    return fault != NodeFault::None && fault != NodeFault::ShortDatagram && fault != NodeFault::NoBroadcast;
}

const char* nodeFaultName(NodeFault fault)
{
    for (const FaultName& entry : kNames) {
        if (entry.fault == fault)
            return entry.name;
    }
    return "none";
}

bool parseNodeFault(const std::string& text, NodeFault& fault)
{
    for (const FaultName& entry : kNames) {
        if (text == entry.name) {
            fault = entry.fault;
            return true;
        }
    }
    return false;
}

} // namespace nodesim
