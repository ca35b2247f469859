#pragma once
// The program's own folders. Their templates carry the placeholder "%COMMON_DOCUMENTS%", the
// folder shared by every user of the machine; on Linux that is $ZAMO2_COMMON_DOCUMENTS when set,
// else the user's XDG data folder, else the temporary folder.

#include <string>

namespace z2e {

enum class AppPathKind : int {
    DataFolder = 0, ///< "%COMMON_DOCUMENTS%/Norvale/zamo2explorer", also where crash reports go
    LogFolder = 1,  ///< "%COMMON_DOCUMENTS%/Norvale/zamo2explorer/log"
};

extern const char* const kCommonDocumentsPlaceholder; ///< "%COMMON_DOCUMENTS%"
extern const char* const kAppLogFileName;             ///< "zamo2explorer.log"

/// The template text of a folder, placeholders unexpanded; empty for an unknown kind.
std::string appPathTemplate(AppPathKind kind);

/// The folder "%COMMON_DOCUMENTS%" stands for: the first usable (a directory, or one that can
/// be created, and writable) of $ZAMO2_COMMON_DOCUMENTS, $XDG_DATA_HOME, $HOME/.local/share;
/// the temporary folder when none is. Always absolute.
std::string commonDocumentsFolder();

/// Replaces every occurrence of each known placeholder and makes the result absolute.
std::string expandPathTemplate(const std::string& pathTemplate);

/// The expanded absolute folder of `kind`; empty for an unknown kind.
std::string expandedAppPath(AppPathKind kind);

/// Registers the program's own data as never to be the destination of an export
/// (OutputDestination::protectOwnData): the data folder (maintenance journal, snapshots, the
/// program's log, crash reports) and, when given, the driver configuration file and the
/// folder of the driver's log files. Called again, it adds what it did not know before.
void protectProgramData(const std::string& driverConfigFile = "", const std::string& driverLogFolder = "");

/// True when `path` is a directory afterwards: a missing one is created with its parents, an
/// existing one must be a directory. Never throws.
bool ensureDirectory(const std::string& path);

} // namespace z2e
