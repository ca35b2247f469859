#include "gui/dialogs/auxiliary/in_progress.h"

#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/gui_resources.h"
#include "ui_in_progress.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMovie>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTransform>

namespace z2e {

CInProgress::CInProgress(const QString& title, const QString& message, QWidget* parent, bool timedMode)
    : QDialog(parent), m_ui(std::make_unique<Ui::CInProgress>()), m_timedMode(timedMode)
{
    initGuiResources();
    m_ui->setupUi(this);
    setWindowTitle(title);
    setWindowFlags((windowFlags() | Qt::FramelessWindowHint) &
                   ~(Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint));
    setAttribute(Qt::WA_TranslucentBackground);
    // Modal from the first show, not only from exec(): the window is shown before its loop runs.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(300, 100);

    m_ui->labelMessage->setFixedSize(300, 40);
    m_ui->labelMessage->setAlignment(Qt::AlignCenter);
    m_ui->labelMessage->setStyleSheet("QLabel { color: navy; font: bold 12px; }");
    m_ui->labelMessage->setText(message);
    m_ui->labelProgressText->setStyleSheet("QLabel { color: gray; font: bold 12px; }");
    m_ui->labelProgressText->setText(" Updating Board 0/0");
    m_ui->labelSpare->setStyleSheet("QLabel { color: blue; font: bold 14px; }");
    m_ui->labelSpare->hide();
    m_ui->progressBar->setStyleSheet(
        "QProgressBar:horizontal { border: 1px solid gray; border-radius: 4px; background: gray; }");
    m_ui->progressBar->setRange(0, 100);
    m_ui->progressBar->setValue(0);
    setBarVisible(false);

    m_movie = new QMovie(":/icons/res/loading.gif", QByteArray(), this);
    m_pixmap = QPixmap(":/icons/res/loading.gif");
    if (m_timedMode) {
        m_ui->labelMessage->hide();
        m_ui->labelAnimation->hide();
        m_timer = new QTimer(this);
        m_timer->setInterval(1000);
        connect(m_timer, &QTimer::timeout, this, &CInProgress::progessT);
    } else {
        m_ui->labelMessage->show();
        m_ui->labelAnimation->show();
        m_ui->labelAnimation->setMovie(m_movie);
        m_movie->start();
    }
    connect(this, &CInProgress::doSetMsgSig, this, &CInProgress::doSetMsgSlot);
    placeOverParent(this, m_verticalCorrection, m_horizontalCorrection);
}

CInProgress::~CInProgress() = default;

void CInProgress::initProg(int value, int minimum, int maximum, const std::string& text)
{
    m_step.store(value);
    m_maximum.store(maximum);
    const QString label = QString::fromStdString(text);
    QMetaObject::invokeMethod(
        this, [this, value, minimum, maximum] { initProgBar(value, minimum, maximum); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        this, [this, label] { initProgText(label); }, Qt::QueuedConnection);
}

void CInProgress::showProgBar()
{
    QMetaObject::invokeMethod(
        this, [this] { setBarVisible(true); }, Qt::QueuedConnection);
}

void CInProgress::hideProgBar()
{
    QMetaObject::invokeMethod(
        this, [this] { setBarVisible(false); }, Qt::QueuedConnection);
}

void CInProgress::startT()
{
    if (m_timer)
        QMetaObject::invokeMethod(m_timer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void CInProgress::stopT()
{
    if (m_timer)
        QMetaObject::invokeMethod(m_timer, &QTimer::stop, Qt::QueuedConnection);
}

void CInProgress::closeFromWorker()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CInProgress::offerCancel(std::function<void()> cancel)
{
    m_cancel = std::move(cancel);
    if (!m_cancelButton) {
        m_cancelButton = new QPushButton("Cancel", this);
        m_cancelButton->setGeometry(218, 70, 72, 24);
        m_cancelButton->setAutoDefault(false);
        connect(m_cancelButton, &QPushButton::clicked, this, &CInProgress::cancel);
        // The spare label tells the time waited, left of the button.
        m_ui->labelSpare->setGeometry(10, 72, 120, 20);
        m_ui->labelSpare->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_ui->labelSpare->setStyleSheet("QLabel { color: gray; font: bold 12px; }");
        m_elapsedTimer = new QTimer(this);
        m_elapsedTimer->setInterval(1000);
        connect(m_elapsedTimer, &QTimer::timeout, this, &CInProgress::showElapsed);
        m_elapsedTimer->start();
    }
    m_cancelButton->show();
}

void CInProgress::cancel()
{
    if (m_cancelRequested || !m_cancel)
        return;
    m_cancelRequested = true;
    m_cancelButton->setEnabled(false);
    m_ui->labelMessage->setText("Cancelling ...");
    m_cancel();
}

void CInProgress::showElapsed()
{
    if (++m_elapsedSeconds < 2)
        return;
    m_ui->labelSpare->setText(QString("%1 s").arg(m_elapsedSeconds));
    m_ui->labelSpare->show();
}

void CInProgress::doSetMsgSlot(const QString& message)
{
    m_ui->labelMessage->setText(message);
}

void CInProgress::initProgBar(int value, int minimum, int maximum)
{
    m_ui->progressBar->setRange(minimum, maximum);
    m_ui->progressBar->setValue(value);
}

void CInProgress::initProgText(const QString& text)
{
    m_ui->labelProgressText->setText(text);
}

void CInProgress::progessT()
{
    m_ui->progressBar->setValue(++m_step);
}

void CInProgress::progressInternal()
{
    ++m_step;
    if (m_timedMode || m_pixmap.isNull())
        return;
    m_pixmap = m_pixmap.transformed(QTransform().rotate(-90));
    m_ui->labelAnimation->setPixmap(m_pixmap);
}

void CInProgress::closeEvent(QCloseEvent* event)
{
    // The window system's close is the user's; only the worker may end the wait.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CInProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // Escape never closes the window; where the wait may be cancelled, it cancels.
        cancel();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CInProgress::paintEvent(QPaintEvent* event)
{
    // Without a compositor a translucent window shows black behind the texts: the window draws
    // its own opaque, rounded panel, so it reads the same everywhere.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 1));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.end();
    QDialog::paintEvent(event);
    m_painted.store(true);
}

void CInProgress::setBarVisible(bool visible)
{
    m_ui->progressBar->setVisible(visible);
    m_ui->labelProgressText->setVisible(visible);
}

} // namespace z2e
