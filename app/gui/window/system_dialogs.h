#pragma once
// The window's dialogs about the program and the local system rather than one board: software
// versions, logging configuration and the system overview, and the named ones a screenshot run
// can picture.

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace z2e {

struct DriverLogSettings;
class SystemModel;

class SystemDialogs {
public:
    /// "Software Versions" of the program and of the driver side of `system` (null: the
    /// program's record and "Driver Not Loaded"), run modally.
    static void showVersions(const SystemModel* system, QWidget* parent);

    /// "versions", "logging" (with `logSettings`), "overview" (of the local system).
    static QStringList pictureNames();
    /// Opens the named dialog without a modal loop; null for another name.
    static QDialog* openForPicture(const QString& name, SystemModel& system, const DriverLogSettings& logSettings,
                                   QWidget* parent);
};

} // namespace z2e
