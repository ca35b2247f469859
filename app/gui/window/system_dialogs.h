#pragma once
// The window's dialogs about the program and a whole system rather than one board: about,
// software versions, logging configuration and the system report, and the named ones a
// screenshot run can picture.

#include "gui/window/file_chooser.h"

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace z2e {

struct DriverLogSettings;
class RootNode;
class SystemModel;

class SystemDialogs {
public:
    /// "Software Versions" of the program and of the driver side of `system` (null: the
    /// program's record and "Driver Not Loaded"), run modally.
    static void showVersions(const SystemModel* system, QWidget* parent);
    /// "About" with the driver side's versions of `system` (may be null).
    static void showAbout(const SystemModel* system, QWidget* parent);
    /// The system report (overview) of `root`, run modally.
    static void showReport(const RootNode& root, bool extendedFeatures, QWidget* parent);
    /// Saves the report of `root` as CSV where the operator chooses. The status-bar text of a
    /// saved report; empty when none was chosen or it failed (told in a message).
    static QString saveReport(const RootNode& root, bool extendedFeatures, const FileChooser& chooser, QWidget* parent);

    /// "versions", "logging" (with `logSettings`), "overview" (of the local system).
    static QStringList pictureNames();
    /// Opens the named dialog without a modal loop; null for another name.
    static QDialog* openForPicture(const QString& name, SystemModel& system, const DriverLogSettings& logSettings,
                                   QWidget* parent);
};

} // namespace z2e
