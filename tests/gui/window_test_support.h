#pragma once
// The main window tests' site and window, rows found by text, a recorder that answers the
// window's message dialogs, and the headers the window and dialog tests share.

#include "qt_printers.h"
#include "support/net.h"
#include "support/site.h"

#include "core/demo_system_editor.h"
#include "core/system_model.h"
#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/main_window.h"
#include "gui/models/system_list_roles.h"
#include "gui/models/tree_view_model.h"
#include "gui/window/modal_auto_answer.h"
#include "gui/window/window_settings.h"
#include "ui_main_window.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStringList>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace z2e_test {

/// The child `name` of `parent`, which must be there.
template <class Widget>
Widget* child(QWidget* parent, const char* name)
{
    Widget* found = parent ? parent->findChild<Widget*>(name) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

/// Runs `open`; the first modal `Dialog` (not a progress window) shown meanwhile goes to `act`.
/// False when none showed.
template <class Dialog>
bool actOnDialogWhile(const std::function<void()>& open, const std::function<void(Dialog&)>& act)
{
    bool done = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (done || !dialog || qobject_cast<z2e::CInProgress*>(dialog) || !dialog->isVisible())
            return;
        done = true;
        act(*dialog);
    });
    poll.start();
    open();
    return done;
}

/// Calls `act` once on the GUI thread, as soon as a progress window offering Cancel (it does
/// once it has painted) shows `text`; polls until the returned timer goes.
inline std::unique_ptr<QTimer> whenProgressShows(const QString& text, std::function<void(z2e::CInProgress&)> act)
{
    auto poll = std::make_unique<QTimer>();
    poll->setInterval(5);
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [timer, text, act] {
        auto* progress = qobject_cast<z2e::CInProgress*>(QApplication::activeModalWidget());
        auto* cancel = progress ? progress->findChild<QPushButton*>() : nullptr;
        auto* message = progress ? progress->findChild<QLabel*>("labelMessage") : nullptr;
        if (!cancel || !cancel->isVisible() || !message || !message->text().contains(text))
            return;
        timer->stop();
        act(*progress);
    });
    poll->start();
    return poll;
}

/// The support library's site put into this process, with Qt's settings pointed there too
/// (one site at a time).
class SimulatedSite {
public:
    explicit SimulatedSite(bool withHardware = true) : m_site(z2e::test::SiteOptions{withHardware, true})
    {
        m_site.enter();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("settings"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path("settings"));
    }

    QString path(const QString& name) const { return QString::fromStdString(m_site / name.toStdString()); }
    QString configFile() const { return QString::fromStdString(m_site.configFile()); }
    QString settingsFile() const { return path("settings/NORVALE/ZAMO2Explorer.conf"); }

    static QString read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    z2e::test::SimSite m_site;
};

/// The example hardware description in a file of the test's own, with its hot board (78.5 degC),
/// which the test cools down while the driver runs.
class HotBoardHardware {
public:
    explicit HotBoardHardware(std::string path)
        : m_path(std::move(path)), m_description(z2e::test::readFile(z2e::test::simExamplesDir() + "/hardware.xml")),
          m_at(m_description.find(kHot))
    {
        z2e::test::writeFile(m_path, m_description);
    }

    const std::string& path() const { return m_path; }
    /// False when the example has no hot board any more.
    bool hot() const { return m_at != std::string::npos; }
    /// The board now reads 35 degC: a length of its own, so that the driver notices the change
    /// whatever the resolution of the file clock.
    void coolDown()
    {
        std::string cooled = m_description;
        z2e::test::writeFile(m_path, cooled.replace(m_at, std::string(kHot).size(), "<BaseTemp>35</BaseTemp>"));
    }
    /// The board reads 78.5 degC again.
    void heatUp() { z2e::test::writeFile(m_path, m_description); }

private:
    static constexpr const char* kHot = "<BaseTemp>78.5</BaseTemp>";
    std::string m_path;
    std::string m_description;
    std::size_t m_at;
};

/// A shown main window for a test, not started yet (init()), discovering on `basePort` (0: a
/// free one).
inline std::unique_ptr<z2e::MainWindow> startWindow(std::uint16_t basePort = 0)
{
    z2e::MainWindowOptions options;
    options.crashReporting = false;
    // One application serves every test: closing a window must not end it.
    options.quitOnClose = false;
    // Windows of tests running side by side each discover on ports of their own.
    options.network.basePort = basePort != 0 ? basePort : z2e::test::freeClientBasePort();
    QApplication::setQuitOnLastWindowClosed(false);
    auto window = std::make_unique<z2e::MainWindow>(options);
    window->show();
    return window;
}

/// Network options as "automatic|fixed index name address/mask".
inline QString optionsText(const z2e::NetworkOptions& options)
{
    return QString("%1 %2 %3 %4/%5")
        .arg(options.automaticInterface ? "automatic" : "fixed")
        .arg(options.interfaceIndex)
        .arg(options.interfaceName, options.address, options.mask);
}

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

/// The texts of `menu`'s entries: "(off)" after a disabled one, a submenu as "title>entries".
inline QStringList entries(const QMenu* menu)
{
    QStringList texts;
    if (!menu)
        return texts;
    for (const QAction* action : menu->actions()) {
        if (action->menu())
            texts << action->text() + ">" + entries(action->menu()).join(",");
        else if (!action->isSeparator())
            texts << action->text() + (action->isEnabled() ? "" : "(off)");
    }
    return texts;
}

/// A started main window on a site with the simulated hardware.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_window = startWindow();
        ASSERT_TRUE(m_window->init());
        ASSERT_EQ(m_window->startupStatus(), 0);
    }

    /// Triggers the window's `entry`; the modal `Dialog` it opens goes to `act`. False when none showed.
    template <class Dialog>
    bool openTool(z2e::MenuEntry entry, const std::function<void(Dialog&)>& act)
    {
        return actOnDialogWhile<Dialog>([this, entry] { m_window->actionFor(entry)->trigger(); }, act);
    }

    /// Opens the context menu of the row starting with `row` (so that the tools act on it).
    QStringList menuAt(QTreeView* view, const QString& row, bool shift)
    {
        const QModelIndex index = findRow(*view->model(), row);
        EXPECT_TRUE(index.isValid()) << row.toStdString();
        return entries(m_window->contextMenuFor(view, index, shift).get());
    }

    SimulatedSite m_site;
    std::unique_ptr<z2e::MainWindow> m_window;
};

/// Answers every message dialog the window opens ("save", "discard", "cancel" for the
/// unsaved-changes question) and keeps "[title] texts" of each.
class DialogRecorder {
public:
    explicit DialogRecorder(const QString& answer = "cancel", std::function<bool(QWidget*)> handle = nullptr)
        : m_answer(answer), m_handle(std::move(handle))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || qobject_cast<z2e::CInProgress*>(modal) || !modal->isVisible())
                return;
            for (const auto& script : m_scripts) {
                if (script(modal))
                    return;
            }
            if (m_handle && m_handle(modal))
                return;
            m_seen << QString("[%1] %2").arg(modal->windowTitle(), z2e::ModalAutoAnswer::dialogText(modal));
            m_answer.answer(modal);
        });
        m_timer.start();
    }

    /// Dialogs `handle` takes (returns true for) are left to it: neither kept nor answered.
    void setHandler(std::function<bool(QWidget*)> handle) { m_handle = std::move(handle); }

    /// Runs `script` once on each new modal dialog of type T, from that dialog's own loop (so
    /// that the questions it opens are answered); such dialogs are neither kept nor answered.
    template <class T>
    void on(std::function<void(T&)> script)
    {
        m_scripts.push_back([this, script](QWidget* modal) {
            T* dialog = qobject_cast<T*>(modal);
            // A later dialog may get the address of an earlier one.
            if (dialog && m_done.insert(modal).second) {
                QObject::connect(dialog, &QObject::destroyed, &m_context, [this, modal] { m_done.erase(modal); });
                QTimer::singleShot(0, dialog, [script, dialog] { script(*dialog); });
            }
            return dialog != nullptr;
        });
    }

    const QStringList& seen() const { return m_seen; }
    /// Whether a dialog showed `text`; a failure lists the dialogs that did show.
    ::testing::AssertionResult saw(const QString& text) const
    {
        auto result = m_seen.filter(text).isEmpty() ? ::testing::AssertionFailure() : ::testing::AssertionSuccess();
        return result << "dialogs seen: " << m_seen.join("\n").toStdString();
    }

private:
    QTimer m_timer;
    z2e::ModalAutoAnswer m_answer;
    QStringList m_seen;
    std::function<bool(QWidget*)> m_handle;
    std::vector<std::function<bool(QWidget*)>> m_scripts;
    std::set<QWidget*> m_done;
    QObject m_context;
};

} // namespace z2e_test
