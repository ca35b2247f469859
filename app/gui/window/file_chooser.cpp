#include "gui/window/file_chooser.h"

#include <QFileDialog>

namespace z2e {

QString chooseFileWithDialog(QWidget* parent, const FileRequest& request)
{
    if (request.directory)
        return QFileDialog::getExistingDirectory(parent, request.title, request.folder);
    if (request.save)
        return QFileDialog::getSaveFileName(parent, request.title, request.folder, request.filter);
    return QFileDialog::getOpenFileName(parent, request.title, request.folder, request.filter);
}

} // namespace z2e
