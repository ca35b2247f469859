#pragma once
// Words for a result code a node answered, for messages to the operator.

#include <cstdint>
#include <string>

namespace z2e {

class QorinNodeUtilWrapper;

/// The binding's table first, then the platform's network failures, then what the node's own
/// driver knows (when `node` is given); "unknown result" otherwise.
std::string nodeResultText(std::int32_t result, const QorinNodeUtilWrapper* node);

} // namespace z2e
