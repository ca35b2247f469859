#pragma once
// Words for a result code a node answered, for messages to the operator.

#include <cstdint>
#include <string>

namespace z2e {

class QorinNodeUtilWrapper;

/// The binding's table first, then the platform's network failures, then what the node's own
/// driver knows (when `node` is given); "unknown result" otherwise.
std::string nodeResultText(std::int32_t result, const QorinNodeUtilWrapper* node);

/// What went wrong, in the operator's words, with the code in brackets: "no answer within 1 s
/// (700008)", "answer damaged (digest mismatch) (700019)", "connection closed by the node
/// (700015)"; other codes as nodeResultText gives them.
std::string failureWords(std::int32_t result, const QorinNodeUtilWrapper* node = nullptr);

} // namespace z2e
