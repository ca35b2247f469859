#include "config/bounded_file_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace z2e {

namespace {

BoundedFileReader::Status failed(BoundedFileReader::Status status, std::string* error, const std::string& why)
{
    if (error != nullptr) {
        *error = why;
    }
    return status;
}

} // namespace

BoundedFileReader::Status BoundedFileReader::read(const std::string& path, std::size_t maxSize, std::string& text,
                                                  std::string* error)
{
    text.clear();
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return failed(missing ? Status::Missing : Status::Unreadable, error, std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return failed(Status::Unreadable, error, "not a regular file");
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxSize) {
        return failed(Status::TooLarge, error, "larger than " + std::to_string(maxSize) + " bytes");
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return failed(Status::Unreadable, error, std::strerror(errno));
    }
    // The limit is enforced on what is read, not on what stat() said: the file may grow.
    char chunk[64 * 1024];
    std::size_t n = 0;
    while (text.size() <= maxSize && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, n);
    }
    const bool readError = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (readError) {
        text.clear();
        return failed(Status::Unreadable, error, std::strerror(readErrno));
    }
    if (text.size() > maxSize) {
        text.clear();
        return failed(Status::TooLarge, error, "larger than " + std::to_string(maxSize) + " bytes");
    }
    return Status::Ok;
}

const char* BoundedFileReader::statusText(Status status)
{
    switch (status) {
    case Status::Ok: return "ok";
    case Status::Missing: return "missing";
    case Status::Unreadable: return "not readable";
    case Status::TooLarge: return "too large";
    }
    return "unknown";
}

} // namespace z2e
