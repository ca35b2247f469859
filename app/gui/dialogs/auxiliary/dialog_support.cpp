#include "gui/dialogs/auxiliary/dialog_support.h"

#include <QWidget>

namespace z2e {

QPoint centreOverParent(const QRect& parentFrame, int verticalCorrection, int horizontalCorrection)
{
    return QPoint((parentFrame.left() + parentFrame.right() - horizontalCorrection) / 2,
                  (parentFrame.top() + parentFrame.bottom() - verticalCorrection) / 2);
}

void placeOverParent(QWidget* dialog, int verticalCorrection, int horizontalCorrection)
{
    if (!dialog || !dialog->parentWidget())
        return;
    const QRect parentFrame = dialog->parentWidget()->window()->frameGeometry();
    const QPoint centre = centreOverParent(parentFrame, verticalCorrection, horizontalCorrection);
    const QSize size = dialog->frameGeometry().size();
    dialog->move(centre.x() - size.width() / 2, centre.y() - size.height() / 2);
}

QString displayText(const QString& text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    plain.remove(QLatin1Char('\r'));
    return plain;
}

void removeContextHelpButton(QWidget* dialog)
{
    dialog->setWindowFlags(dialog->windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

} // namespace z2e
