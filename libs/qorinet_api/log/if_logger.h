#pragma once
// Receiver of the client's event lines; the application decides where they go.

#include <string>

namespace qorinet_api {

class IfLogger {
public:
    virtual ~IfLogger() = default;
    /// Takes one message; called from any of the client's threads.
    virtual void log(const std::string& message) = 0;
};

} // namespace qorinet_api
