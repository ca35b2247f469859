#include "gui/dialogs/tools/tool_dialog_factory.h"

#include <QDialog>

namespace z2e {

ToolDialogFactory::ToolDialogFactory(MenuEntry entry, Make make, const char* picture)
{
    entries()[entry] = Entry{make, picture};
}

std::map<MenuEntry, ToolDialogFactory::Entry>& ToolDialogFactory::entries()
{
    // Built on first use: the dialogs' objects are made before main() in no set order.
    static std::map<MenuEntry, Entry> list;
    return list;
}

std::unique_ptr<QDialog> ToolDialogFactory::make(MenuEntry entry, const ToolTarget& target, const FileChooser& chooser,
                                                 QWidget* parent)
{
    const auto it = entries().find(entry);
    if (it == entries().end() || !target.wrapper || target.boards.empty())
        return nullptr;
    return it->second.make(target, chooser, parent);
}

bool ToolDialogFactory::makes(MenuEntry entry)
{
    return entries().count(entry) != 0;
}

QStringList ToolDialogFactory::pictureNames()
{
    QStringList names;
    for (const auto& [entry, known] : entries()) {
        if (known.picture)
            names << QString::fromUtf8(known.picture);
    }
    return names;
}

QDialog* ToolDialogFactory::openForPicture(const QString& name, const ToolTarget& board, QWidget* parent)
{
    for (const auto& [entry, known] : entries()) {
        if (!known.picture || name != QString::fromUtf8(known.picture))
            continue;
        std::unique_ptr<QDialog> dialog = make(entry, board, chooseFileWithDialog, parent);
        if (dialog)
            dialog->show();
        return dialog.release();
    }
    return nullptr;
}

} // namespace z2e
