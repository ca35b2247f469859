#include "gui/dialogs/auxiliary/user_guide_dialog.h"

#include "ui_user_guide_dialog.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace z2e {

namespace {

// Screenshots are as wide as the window they show; the guide's window is narrower.
constexpr int kPictureWidth = 720;

void fitPictures(QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            if (!picture.isValid())
                continue;
            picture.setWidth(kPictureWidth); // the height follows the picture's proportions
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
}

} // namespace

UserGuideDialog::UserGuideDialog(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::UserGuideDialog>())
{
    m_ui->setupUi(this);
    setWindowIcon(QIcon(":/icons/res/norvale-logo.ico"));
    removeContextHelpButton(this);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &QDialog::close);
    initGuiResources();
    QFile guide(kGuidePath);
    QFile tools(kToolsPath);
    if (!guide.open(QIODevice::ReadOnly | QIODevice::Text) || !tools.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_ui->browser->setPlainText(tr("The user guide is missing from this build."));
        return;
    }
    // The pictures sit beside the guide, as they do in the source tree.
    m_ui->browser->setSearchPaths({QFileInfo(kGuidePath).path()});
    m_ui->browser->setMarkdown(QString::fromUtf8(guide.readAll() + "\n\n" + tools.readAll()));
    fitPictures(*m_ui->browser->document());
}

UserGuideDialog::~UserGuideDialog() = default;

UserGuideDialog* UserGuideDialog::showFor(QWidget* parent)
{
    auto* guide = parent->findChild<UserGuideDialog*>(QString(), Qt::FindDirectChildrenOnly);
    if (!guide)
        guide = new UserGuideDialog(parent); // the parent's child: it goes with the window
    guide->show();
    guide->raise();
    guide->activateWindow();
    return guide;
}

QTextBrowser* UserGuideDialog::browser() const
{
    return m_ui->browser;
}

} // namespace z2e
