#pragma once
// A private simulated site for the main window tests: the driver stand-in with the example
// hardware and configuration, settings and documents in a scratch folder, and a recorder that
// answers the window's message dialogs.

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/window/modal_auto_answer.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <string>

namespace z2e_test {

/// Points the driver, the settings and the program's folders at a scratch folder for the
/// lifetime of the object (the environment is the process's own: one site at a time).
class SimulatedSite {
public:
    explicit SimulatedSite(bool withHardware = true)
    {
        const QString root = m_dir.path();
        for (const char* sub : {"config", "state", "runtime", "settings", "documents"})
            QDir(root).mkpath(sub);
        QFile::setPermissions(root + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
        QFile::copy(examples() + "/zmpxi_api_config.xml", configFile());
        QFile::setPermissions(configFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        set("ZMPXI_API_CONFIG_DIR", root + "/config");
        set("ZMPXI_SIM_STATE_DIR", root + "/state");
        set("XDG_RUNTIME_DIR", root + "/runtime");
        set("XDG_CONFIG_HOME", root + "/settings");
        set("ZAMO2_COMMON_DOCUMENTS", root + "/documents");
        set("ZMPXI_SIM_SPEED", "100000");
        set("QORINET_ALLOWED_NETWORKS", "127.0.0.0/8");
        if (withHardware)
            set("ZMPXI_SIM_HARDWARE", examples() + "/hardware.xml");
        else
            qunsetenv("ZMPXI_SIM_HARDWARE");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + "/settings");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + "/settings");
    }

    static QString examples() { return QStringLiteral(ZMPXI_SIM_EXAMPLES_DIR); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString configFile() const { return m_dir.filePath("config/zmpxi_api_config.xml"); }
    QString settingsFile() const { return m_dir.filePath("settings/NORVALE/ZAMO2Explorer.conf"); }

    static QString read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    static void set(const char* name, const QString& value) { qputenv(name, value.toUtf8()); }

    QTemporaryDir m_dir;
};

/// First row of `model`, depth first, whose text starts with `text`.
inline QModelIndex findRow(const QAbstractItemModel& model, const QString& text, const QModelIndex& parent = {})
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (model.data(index).toString().startsWith(text))
            return index;
        const QModelIndex below = findRow(model, text, index);
        if (below.isValid())
            return below;
    }
    return {};
}

/// Answers every message dialog the window opens ("save", "discard", "cancel" for the
/// unsaved-changes question) and keeps "[title] texts" of each.
class DialogRecorder {
public:
    explicit DialogRecorder(const QString& answer = "cancel") : m_answer(answer)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || qobject_cast<z2e::CInProgress*>(modal) || !modal->isVisible())
                return;
            m_seen << QString("[%1] %2").arg(modal->windowTitle(), z2e::ModalAutoAnswer::dialogText(modal));
            m_answer.answer(modal);
        });
        m_timer.start();
    }

    const QStringList& seen() const { return m_seen; }
    bool saw(const QString& text) const
    {
        for (const QString& entry : m_seen) {
            if (entry.contains(text))
                return true;
        }
        return false;
    }

private:
    QTimer m_timer;
    z2e::ModalAutoAnswer m_answer;
    QStringList m_seen;
};

} // namespace z2e_test
