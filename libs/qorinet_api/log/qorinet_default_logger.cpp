#include "qorinet_api/log/qorinet_default_logger.h"

namespace qorinet_api {

QORINetDefaultLogger::~QORINetDefaultLogger()
{
    setCallback(nullptr);
}

void QORINetDefaultLogger::setCallback(Callback callback)
{
    Callback old;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        old.swap(m_callback);
        m_callback = std::move(callback);
    }
    // `old` dies here, outside the lock, in case its captures log on destruction.
}

void QORINetDefaultLogger::log(const std::string& message)
{
    Callback callback;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        callback = m_callback;
    }
    if (callback)
        callback(message);
}

} // namespace qorinet_api
