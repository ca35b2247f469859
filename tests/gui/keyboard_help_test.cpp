// The window's keys and help: accelerators reach their actions, every tool-bar entry explains
// itself, and F1 opens the guide that ships inside the program, pictures included.

#include "window_test_support.h"

#include "gui/dialogs/auxiliary/user_guide_dialog.h"

#include <QImage>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolBar>

namespace z2e {
namespace {

using z2e_test::DialogRecorder;
using z2e_test::SimulatedSite;

class KeyboardHelpTest : public z2e_test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // Window shortcuts fire only in the active window.
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
};

TEST_F(KeyboardHelpTest, CtrlSSavesAndCtrlQExits)
{
    DialogRecorder dialogs("cancel");
    m_window->logSettings().level = "LogOff"; // as the logging dialog leaves it
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(SimulatedSite::read(m_site.configFile()).contains("<LogLevel>LogOff</LogLevel>"));
    // Saved, so nothing is asked.
    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(dialogs.seen().filter("Do you want to save").isEmpty()) << dialogs.seen().join("|").toStdString();
}

TEST_F(KeyboardHelpTest, EveryToolBarEntrySaysWhatItDoesAndF1OpensTheGuideWithItsPicturesOnce)
{
    // Without a tip of its own Qt shows the entry's text again.
    for (QAction* action : m_window->ui()->toolBar->actions())
        EXPECT_TRUE(action->isSeparator() || action->toolTip().size() > action->text().size() + 10)
            << action->text().toStdString();

    QTest::keyClick(m_window.get(), Qt::Key_F1);
    const auto guides = [this] { return m_window->findChildren<UserGuideDialog*>(); };
    ASSERT_EQ(guides().size(), 1);
    UserGuideDialog* guide = guides().front();
    EXPECT_TRUE(guide->isVisible());
    EXPECT_FALSE(guide->isModal());
    const QString text = guide->browser()->toPlainText();
    // Rendered, not shown as Markdown source.
    EXPECT_TRUE(text.startsWith("ZAMO2Explorer User Guide")) << text.left(80).toStdString();
    EXPECT_FALSE(text.contains("## "));
    // The tools follow the guide.
    EXPECT_TRUE(text.contains("zamo2ctl firmware update --dry-run"));
    // Every picture the guide names comes with the program.
    QString markdown;
    for (const char* path : {UserGuideDialog::kGuidePath, UserGuideDialog::kToolsPath}) {
        QFile source(path);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << path;
        markdown += QString::fromUtf8(source.readAll());
    }
    QRegularExpressionMatchIterator pictures = QRegularExpression(R"(\]\(([^)\s]+\.png)\))").globalMatch(markdown);
    int named = 0;
    while (pictures.hasNext()) {
        const QString name = pictures.next().captured(1);
        const QVariant picture = guide->browser()->loadResource(QTextDocument::ImageResource, QUrl(name));
        EXPECT_FALSE(QImage::fromData(picture.toByteArray()).isNull()) << name.toStdString();
        ++named;
    }
    EXPECT_GE(named, 6);
    // Asked again from the main window, the guide made before comes back.
    guide->close();
    QApplication::setActiveWindow(m_window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_F1);
    EXPECT_EQ(guides().size(), 1);
    EXPECT_TRUE(guide->isVisible());
}

} // namespace
} // namespace z2e
