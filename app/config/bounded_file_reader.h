#pragma once

#include <cstddef>
#include <string>

namespace z2e {

/// Reads whole files of untrusted size with a hard upper limit.
class BoundedFileReader {
public:
    enum class Status { Ok, Missing, Unreadable, TooLarge };

    /// Reads path into text when it is a regular file of at most maxSize bytes.
    /// error, when given, receives a short explanation for any status but Ok.
    static Status read(const std::string& path, std::size_t maxSize, std::string& text, std::string* error = nullptr);

    /// "ok", "missing", "not readable", "too large".
    static const char* statusText(Status status);
};

} // namespace z2e
