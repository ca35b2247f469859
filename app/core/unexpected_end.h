#pragma once
// The program's last word when an exception leaves its window: the process still ends
// normally (status 0), but never in silence.

#include <functional>
#include <string>

namespace z2e {

/// Runs `body`; what an exception leaving it said ("an unknown error" for one that says
/// nothing), or empty when none left it.
std::string runCatching(const std::function<void()>& body);

/// The operator's words for an end after `failure`, naming the log file when there is one.
std::string unexpectedEndText(const std::string& failure, const std::string& logFile);

/// Tells `failure` on the error output and in the application log; nothing when it is empty.
void reportUnexpectedEnd(const std::string& failure, const std::string& logFile);

} // namespace z2e
