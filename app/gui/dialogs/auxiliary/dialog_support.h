#pragma once
// Small helpers shared by the progress and message dialogs.

#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace z2e {

/// Where a dialog's centre goes over a parent frame: ((left + right − h) / 2,
/// (top + bottom − v) / 2), integer arithmetic as the message dialogs have always used it.
QPoint centreOverParent(const QRect& parentFrame, int verticalCorrection, int horizontalCorrection);

/// Moves `dialog` so that its centre is centreOverParent() of its parent's window; does
/// nothing without a parent.
void placeOverParent(QWidget* dialog, int verticalCorrection, int horizontalCorrection);

/// Status texts carry DOS line ends ("\r\n", sometimes "\n\r"); a label wants plain "\n".
QString displayText(const QString& text);

/// Drops the window-system help button every message dialog does without.
void removeContextHelpButton(QWidget* dialog);

} // namespace z2e
