#pragma once
// Files and folders the operator names for the program to write (report package, demo export,
// self-test results, EEPROM backups, system report, tree export). Nothing that stands at the
// name is destroyed:
//  - something that is not a regular file (device, FIFO, socket, folder, symbolic link) is
//    refused in words and left as it is, never opened;
//  - an existing regular file is replaced only when replacing was asked for (zamo2ctl --force;
//    the window after its own question), and never a read-only one;
//  - the program's own data (the folders and files registered with protectOwnData: the data
//    folder with the maintenance journal, snapshots and logs, the driver configuration and its
//    log folder) is never a destination, also not through a link or a ".." path: folders are
//    compared as canonical paths, files by device and inode.
// The content goes to a temporary file beside the destination (TemporaryFile), is flushed, and
// then takes the name in one step; a failure leaves the destination as it was.

#include <string>

namespace z2e {

struct WriteOptions {
    /// An existing regular, writable file may be replaced.
    bool replace = false;
    /// Flush file and folder to the disk before returning.
    bool sync = true;
};

class OutputDestination {
public:
    enum class Status {
        Ok,
        NotRegular, ///< something other than a regular file stands there (or no folder, for a folder)
        Exists,     ///< a regular file stands there and replacing was not asked for
        ReadOnly,   ///< a read-only file stands there
        OwnData,    ///< the program's own data
        Failed,     ///< could not be written (the system's reason in the message)
    };
    struct Result {
        Status status = Status::Ok;
        std::string message; ///< the operator's words; empty for Ok
        bool ok() const { return status == Status::Ok; }
        /// Refused before anything was written: zamo2ctl's exit status 73.
        bool refused() const { return status != Status::Ok && status != Status::Failed; }
    };

    /// Whether `path` may be written now, touching nothing.
    static Result check(const std::string& path, bool replace);
    /// Writes `content` as the file `path`.
    static Result write(const std::string& path, const std::string& content, const WriteOptions& options = {});
    /// Gives the complete file `source` the name `path`: renamed when both are on one file
    /// system, else copied beside `path` first. `source` is gone on success.
    static Result place(const std::string& source, const std::string& path, const WriteOptions& options = {});
    /// A folder the operator names for files the program names: made (with its parents) when
    /// missing; refused when something else stands there or it is the program's own.
    static Result prepareFolder(const std::string& folder);

    /// Registers the program's own data: a folder (with everything below it) or a file.
    /// `what` names it in the refusal ("the maintenance journal").
    static void protectOwnData(const std::string& path, const std::string& what);
    /// Forgets every registration (tests).
    static void clearOwnData();
    /// Whether `path` (existing or not) is or lies in the program's own data; `what` gets its name.
    static bool isOwnData(const std::string& path, std::string* what = nullptr);

    /// The words of a refusal, for a status and a path.
    static std::string describe(Status status, const std::string& path, const std::string& detail = "");
};

} // namespace z2e
