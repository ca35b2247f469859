#pragma once
// The client's logger until the application installs something else: hands every message to a
// callback, or drops it while none is installed.

#include "qorinet_api/log/if_logger.h"

#include <functional>
#include <mutex>
#include <string>

namespace qorinet_api {

class QORINetDefaultLogger : public IfLogger {
public:
    using Callback = std::function<void(const std::string&)>;

    QORINetDefaultLogger() = default;
    ~QORINetDefaultLogger() override;

    /// Installs (or with an empty callback removes) the receiver. Thread-safe.
    void setCallback(Callback callback);
    /// Passes `message` to the callback; without one it is dropped.
    void log(const std::string& message) override;

private:
    std::mutex m_lock;
    Callback m_callback;
};

} // namespace qorinet_api
