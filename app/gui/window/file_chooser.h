#pragma once
// How the window asks the operator for a file. Tests put their own chooser in place of the
// file dialogs.

#include <QString>

#include <functional>

class QWidget;

namespace z2e {

struct FileRequest {
    bool save = false; ///< a file to write (else one to read)
    QString title;
    QString folder; ///< where the dialog starts
    QString filter;
    bool directory = false; ///< an existing folder instead of a file (no filter)
};

/// Returns the chosen path, empty when the operator cancels.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;

/// The standard open, save and folder dialogs.
QString chooseFileWithDialog(QWidget* parent, const FileRequest& request);

} // namespace z2e
