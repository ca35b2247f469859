#pragma once
// The window's status bar, aware of which system a message is about: a message about one
// system goes when another is shown, so the bar never tells about a system out of sight.

#include <QPointer>
#include <QString>

#include <cstdint>

class QStatusBar;

namespace z2e {

class SystemStatusLine {
public:
    /// Whom a message is about: a network node's id, or one of the two values below.
    using Subject = std::int64_t;
    static constexpr Subject kGeneral = -2; ///< no system in particular; never stale
    static constexpr Subject kLocal = -1;

    /// Works on `bar`.
    explicit SystemStatusLine(QStatusBar* bar);

    /// Shows `text` as a message about `subject`.
    void show(const QString& text, Subject subject);
    /// The window now shows `subject`: a message of ours about another system is cleared.
    void systemShown(Subject subject);

private:
    QPointer<QStatusBar> m_bar;
    QString m_text;
    Subject m_subject = kGeneral;
};

} // namespace z2e
