#include "gui/window/system_status_line.h"

#include <QStatusBar>

namespace z2e {

SystemStatusLine::SystemStatusLine(QStatusBar* bar) : m_bar(bar) {}

void SystemStatusLine::show(const QString& text, Subject subject)
{
    m_text = text;
    m_subject = subject;
    if (m_bar)
        m_bar->showMessage(text);
}

void SystemStatusLine::systemShown(Subject subject)
{
    // A message someone else put there since is theirs to keep.
    if (!m_bar || m_subject == kGeneral || m_subject == subject || m_bar->currentMessage() != m_text)
        return;
    m_bar->clearMessage();
    m_subject = kGeneral;
}

} // namespace z2e
