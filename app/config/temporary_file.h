#pragma once
// The temporary files of the program: a file is written whole under a temporary name in the
// folder of its destination and only then given its name, so the name never holds half a file.
// A temporary file never stays:
//  - the object removes it unless it was placed (an error, an exception);
//  - every live one is listed in a fixed table that removeLive() empties from a signal handler
//    or the time-out (Ctrl+C, SIGTERM, --timeout); SIGXFSZ is ignored by the programs, so a file
//    size limit ends a write with EFBIG and the object removes it;
//  - one that a killed run (kill -9) left is removed by the next run that writes into that
//    folder (removeStale): only names of this pattern, only those of a process that is gone.
//
// The names are ".z2e-tmp-<pid>-<process start>-<random>", the process start in clock ticks
// after boot as /proc/<pid>/stat gives it, so that a pid used again by another process later
// does not keep a file of the dead one alive.

#include "config/temporary_files.h"

#include <string>

namespace z2e {

class TemporaryFile {
public:
    /// How placing the file under its name ended.
    enum class Placed {
        Ok,
        Exists, ///< the name is taken (placeNew), or it holds something that is not replaced
        Failed, ///< the system refused (message says why)
    };

    /// A temporary file in `folder`, followed when it is a link (the operator's folder).
    explicit TemporaryFile(const std::string& folder);
    /// A temporary file in the open folder `folderFd` (kept open by the caller while this
    /// lives); `folderPath` names it in messages and in the table of live files.
    TemporaryFile(int folderFd, const std::string& folderPath);
    /// Removes the file unless it was placed.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    /// Creates the file now, empty (exclusively, never through a link), for a write() that
    /// comes later: making a file can take far longer than writing a small one. False with
    /// error() set.
    bool create();
    /// Writes `content` into the file create() made, or into one it creates as create() does;
    /// `sync` flushes it to the disk. False with error() set; nothing is left then.
    bool write(const std::string& content, bool sync);
    /// Copies the file `source` into it; as write().
    bool copyFrom(const std::string& source, bool sync);
    /// Takes the complete file `source` (on the folder's file system) as this temporary file
    /// by renaming it. False with error() set (errno EXDEV across file systems): `source`
    /// is then where it was.
    bool adopt(const std::string& source);
    /// Renames the temporary file back to `source` (after adopt(), when placing failed).
    void giveBack(const std::string& source);

    /// Gives the written file the name `name` in its folder unless the name is taken (also by
    /// a link, a folder or a special file). Exists when it is: the file stays for another name.
    Placed placeNew(const std::string& name);
    /// Gives the file the name `name`, replacing a writable regular file there (it keeps that
    /// file's permissions); anything else that stands there (a folder, link, device, FIFO,
    /// socket, a read-only file) is left as it is and Exists returned. The two are exchanged in
    /// one step and the old one checked again, so nothing put there meanwhile is lost.
    Placed placeOver(const std::string& name);
    /// Flushes the folder, so that the new name is on the disk too.
    void syncFolder();

    /// The temporary file's path (empty before write()).
    const std::string& path() const { return m_path; }
    /// The folder's path.
    const std::string& folder() const { return m_folderPath; }
    /// Why the last step failed, with the system's reason.
    const std::string& error() const { return m_error; }

private:
    bool open();
    bool finish(bool ok, bool sync);
    void discard();
    bool fail(const std::string& what, int error);

    int m_folderFd = -1;
    bool m_ownsFolder = false;
    std::string m_folderPath;
    std::string m_name;
    std::string m_path;
    int m_fd = -1;
    int m_slot = -1;
    std::string m_error;
};

} // namespace z2e
