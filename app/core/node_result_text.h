#pragma once
// Words for a result code a node answered, for messages to the operator.

#include <cstdint>
#include <string>

namespace z2e {

class QorinNodeUtilWrapper;

/// The binding's table first, then the platform's network failures, then what the node's own
/// driver knows (when `node` is given); "unknown result" otherwise.
std::string nodeResultText(std::int32_t result, const QorinNodeUtilWrapper* node);

/// What went wrong, in the operator's words, without the code: "no answer within 1 s"; codes
/// without words of their own as nodeResultText gives them.
std::string resultWords(std::int32_t result, const QorinNodeUtilWrapper* node = nullptr);

/// What the operator may do about a failure that is not the request's own fault (no answer, no
/// link, a damaged answer, the hardware held or the driver missing); "" for the rest, whose
/// driver text says what was wrong with the request.
std::string nextStep(std::int32_t result);

/// What went wrong, in the operator's words, with the code in brackets: "no answer within 1 s
/// (700008)", "answer damaged (digest mismatch) (700019)", "answer cut short or malformed, connection closed
/// (700015)"; other codes as nodeResultText gives them.
std::string failureWords(std::int32_t result, const QorinNodeUtilWrapper* node = nullptr);

/// An application status or a result in the operator's words, on one line: a link failure
/// with its next step; the statuses the command layer maps driver failures to ("the board's
/// properties could not be read"), with the failure behind them when `node` kept it; else
/// the status table's text or the driver's.
std::string statusWords(std::int32_t status, const QorinNodeUtilWrapper* node);

/// A text from a file, the driver or a node as the terminal may show it: tabs and line breaks
/// kept, every other control character (C1 too) '?', broken UTF-8 U+FFFD.
std::string terminalText(const std::string& text);

/// A message of several lines on one: line breaks become blanks, the rest as terminalText gives
/// it, so that a text from the network cannot drive the terminal.
std::string oneLine(const std::string& text);

/// What to do about a network node that could not be read because of `result`, named by the
/// window's entries (the problem list and the status line); a general check when the result
/// tells nothing more.
std::string nodeUnreadableStep(std::int32_t result);

/// failureWords, then "; " and the next step when there is one.
std::string failureAdvice(std::int32_t result, const QorinNodeUtilWrapper* node = nullptr);

} // namespace z2e
