#include "gui/dialogs/auxiliary/message_dialog.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"

#include <QLabel>

namespace z2e {

CMessageDialog::CMessageDialog(QWidget* parent) : QDialog(parent)
{
    // Before the form is set up: its pictures come from the resources.
    initGuiResources();
}

void CMessageDialog::present(QLabel* label, const QString& title, const QString& text)
{
    m_label = label;
    removeContextHelpButton(this);
    setWindowTitle(title);
    m_label->setText(displayText(text));
}

QString CMessageDialog::text() const
{
    return m_label ? m_label->text() : QString();
}

} // namespace z2e
