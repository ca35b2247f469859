#pragma once
// File helpers: bounded reads and atomic writes (temporary file, then rename).

#include <cstddef>
#include <string>

namespace zmpxi_sim {
namespace file_util {

/// Largest file the driver reads (configuration, hardware description, state, firmware).
constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;

/// Creates the folder and its missing parents; true when it exists afterwards.
bool makeDirectories(const std::string& path);
/// Reads a whole file of at most `maxBytes`; false when missing, unreadable or too large.
bool readFile(const std::string& path, std::string& content, std::size_t maxBytes = kMaxFileBytes);
/// Writes `content` to a temporary file beside `path` and renames it over `path`.
bool writeFileAtomic(const std::string& path, const std::string& content);
/// True when a regular file exists at `path`.
bool isFile(const std::string& path);
/// `dir` + "/" + `name`, without doubling the separator.
std::string join(const std::string& dir, const std::string& name);
/// A file-name-safe version of an identifier (letters, digits, '-', '_' kept).
std::string safeName(const std::string& text);

} // namespace file_util
} // namespace zmpxi_sim
