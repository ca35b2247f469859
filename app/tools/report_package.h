#pragma once
// The report package: a ZIP archive of the driver's log folder (every file below it, named by
// its path below the folder, deflated at level 9), plus documents and folders of the program
// (the inventory, the maintenance journal). Built under a temporary name (TemporaryFile) in a
// build folder, then placed at the destination by one rename, so the destination never holds a
// partial archive, and the temporary file never stays (removed on failure, by the programs'
// signal handlers, or by the next run that builds in that folder).
// The destination is an OutputDestination: never a device, FIFO, folder or link, an existing
// file only when replacing was asked for, never the program's own data.
//
// Files are packed straight from disk while the archive is closed, so the package of gigabytes
// of logs needs little memory. A file is packed with the size it had when the folder was listed
// (a log that grows meanwhile is cut there); unreadable files, special files and symbolic links
// leading out of the folder are left out and listed in skipped() and in the package's manifest;
// so is a file that vanishes while it is packed. Not thread-safe: one caller,
// which may be a worker thread.

#include "tools/tool_progress.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace z2e {

/// One entry of the package: its name in the archive and where its bytes come from (a file,
/// or for a document the content itself).
struct ReportPackageEntry {
    std::string name;
    std::string sourcePath; ///< empty for a document
    std::uint64_t size = 0;
};

class ReportPackage {
public:
    /// How placing the package at its destination ended.
    /// Refused: something stands at the destination that is not replaced (placeError() says
    /// what), nothing touched.
    enum class Placement { Placed, Refused, CannotCreate, CannotCollect };

    /// The operator's message of a failed placement ("" for Placed).
    static const char* placementText(Placement placement);

    /// Files whose name contains this are the driver's locks and never packed.
    static const char* const kLockFileMarker;
    /// The entry that lists what was left out, one "path: reason" a line; only when something was.
    static const char* const kManifestName;

    explicit ReportPackage(std::string sourceFolder);
    /// Removes a package that was built and not placed.
    ~ReportPackage();
    ReportPackage(const ReportPackage&) = delete;
    ReportPackage& operator=(const ReportPackage&) = delete;

    /// Adds a document of the program under `name` (made unique against the log files).
    void addDocument(const std::string& name, std::string content);
    /// Adds every file below `folder` under `prefix` + its path below the folder; nothing when
    /// the folder does not exist.
    void addFolder(const std::string& prefix, const std::string& folder);

    /// Lists the source folder and builds the archive in `buildFolder` under a unique name.
    /// 0 built; 9 (NothingToCollect) the source folder holds no file to pack; 8 (PackageFailed)
    /// the archive could not be made, nothing is left then. `progress` (may be empty) hears
    /// the fraction written.
    std::int32_t collect(const std::string& buildFolder, const ToolProgress& progress = {});
    /// Why the last collect() could not make the archive, with the system's reason; "" when it did.
    const std::string& collectError() const { return m_collectError; }

    /// Gives the built package the name `destination`; an existing regular file there is
    /// replaced only with `replace`. Across file systems the package is copied to a temporary
    /// file in the destination's folder first. The package stays for another try when this
    /// fails; placeError() then says why.
    Placement place(const std::string& destination, bool replace = false);
    const std::string& placeError() const { return m_placeError; }

    const std::string& packagePath() const { return m_package; }
    /// The entries of the built package, log files first (sorted), then the program's.
    const std::vector<ReportPackageEntry>& entries() const { return m_entries; }
    /// What was left out, one "path: reason" each.
    const std::vector<std::string>& skipped() const { return m_skipped; }

private:
    struct Extra;
    void listFolder(const std::string& folder, const std::string& prefix, bool logFolder,
                    std::vector<ReportPackageEntry>& found);
    std::string entryName(const std::string& wanted);
    std::int32_t write(const std::string& path, const ToolProgress& progress);
    std::int32_t writeWithManifest(const std::string& path, const ToolProgress& progress);
    /// Moves the files that are gone (or shorter than listed) from the entries to skipped();
    /// false when there were none.
    bool leaveOutVanished();

    std::string m_source;
    std::vector<std::unique_ptr<Extra>> m_extras;
    std::vector<ReportPackageEntry> m_entries;
    std::set<std::string> m_names;
    std::map<std::string, const std::string*> m_documents; ///< entry name -> content of m_extras
    std::vector<std::string> m_skipped;
    std::string m_manifest;      ///< content of the manifest entry
    std::string m_manifestEntry; ///< its name in the archive; empty while there is none
    std::string m_package;
    int m_packageSlot = -1; ///< its entry in the table of live temporary files
    std::string m_collectError;
    std::string m_placeError;
};

} // namespace z2e
