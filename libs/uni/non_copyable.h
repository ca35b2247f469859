#pragma once

namespace uni {

/// Base of objects that own an OS resource (a thread, a socket) and must not be copied.
class NonCopyable {
protected:
    NonCopyable() = default;
    ~NonCopyable() = default;

public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;
};

} // namespace uni
