#pragma once
// Collects what QAbstractItemModelTester reports as "qt.modeltest" warnings, so a test can fail
// on them instead of aborting the whole program. One guard at a time.

#include <QStringList>
#include <QtGlobal>

#include <string>

class ModelTesterGuard {
public:
    ModelTesterGuard() : m_previous(qInstallMessageHandler(&ModelTesterGuard::handle)) { s_warnings.clear(); }
    ~ModelTesterGuard() { qInstallMessageHandler(m_previous); }

    ModelTesterGuard(const ModelTesterGuard&) = delete;
    ModelTesterGuard& operator=(const ModelTesterGuard&) = delete;

    static const QStringList& warnings() { return s_warnings; }
    static std::string report() { return s_warnings.join('\n').toStdString(); }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& text)
    {
        if (context.category && QLatin1String(context.category) == QLatin1String("qt.modeltest"))
            s_warnings << text;
    }

    inline static QStringList s_warnings;
    QtMessageHandler m_previous;
};
