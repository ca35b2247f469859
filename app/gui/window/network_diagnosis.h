#pragma once
// Network > Diagnose: opens "Diagnose Network" for the networks and port the window's client
// works with. The doctor runs a client of its own on a private answer port, so the window's
// client goes on meanwhile. GUI thread only.

#include "core/network_client_settings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QWidget;

namespace z2e {

class NetworkDiagnosis : public QObject {
    Q_OBJECT

public:
    using Settings = std::function<NetworkClientSettings()>;

    /// `diagnose` (may be null) opens the dialog over `window`; `settings` tells the window's
    /// current networks and port each time.
    NetworkDiagnosis(QAction* diagnose, Settings settings, QWidget* window);

    /// The picture name of the dialog.
    static QString pictureName() { return QStringLiteral("diagnose"); }
    /// The dialog after one diagnosis, shown without a modal loop (deleted on close).
    QDialog* openForPicture();

private slots:
    void hdl_Diagnose();

private:
    QDialog* makeDialog();

    Settings m_settings;
    QWidget* m_window;
};

} // namespace z2e
