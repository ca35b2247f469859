#pragma once

#include <string>

namespace z2e {

/// Writes whole files so that readers only ever see the old or the complete new content.
///
/// The content goes to a temporary file in the target's folder, is flushed to disk and
/// then renamed over the target. On any failure the temporary file is removed and the
/// target is left as it was.
class AtomicFileWriter {
public:
    /// Replaces (or creates) path with content. A symbolic link is written through: its
    /// target is replaced and the link stays. Returns false on failure; error, when given,
    /// receives a short explanation with the system's reason.
    static bool write(const std::string& path, const std::string& content, std::string* error = nullptr);

    /// Removes the temporary files that a write of `path` killed part-way left beside the
    /// file it replaces (named after a process that is gone, or "<name>.tmp-" and six
    /// characters; nothing else). Returns how many.
    static int removeStaleTemporaries(const std::string& path);
};

} // namespace z2e
