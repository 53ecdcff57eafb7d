#include "startup/Splash.h"

#include "startup/Version.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace {

QPixmap SplashPicture()
{
    QPixmap pix(396, 168);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 396, 168);
    bg.setColorAt(0, QColor(24, 38, 66));
    bg.setColorAt(1, QColor(40, 92, 130));
    p.fillRect(pix.rect(), bg);

    // A few soft rings behind the name, like a sphere lit from the left.
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 18 + i * 6), 2));
        p.drawEllipse(QPointF(320, 60), 30.0 + i * 14, 30.0 + i * 14);
    }

    QFont title(QStringLiteral("DejaVu Sans"), 34, QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(250, 250, 250));
    p.drawText(QPoint(24, 64), QStringLiteral("Ovrel"));
    QFont sub(QStringLiteral("DejaVu Sans"), 11);
    p.setFont(sub);
    p.setPen(QColor(190, 214, 235));
    p.drawText(QPoint(26, 90), QStringLiteral("The Blitz3D development environment"));

    // The version ends near x = 352, as the first line of the progress area.
    QFont versionFont(QStringLiteral("Arial"), 12, QFont::Bold);
    p.setFont(versionFont);
    p.setPen(QColor(255, 214, 120));
    const QString versionText = version::SplashText();
    const int width = QFontMetrics(versionFont).horizontalAdvance(versionText);
    p.drawText(QPoint(352 - width, 130), versionText);
    return pix;
}

}  // namespace

frmSplash::frmSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    Picture1 = new QLabel(this);
    Picture1->setPixmap(SplashPicture());
    Picture1->move(0, 0);
    Picture1->resize(396, 168);
    setFixedSize(396, 168);

    LblProgress = new QLabel(this);
    LblProgress->move(24, 134);
    LblProgress->resize(300, 22);
    LblProgress->setStyleSheet(QStringLiteral("color: #e8eef5;"));

    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
}

void frmSplash::SetProgress(const QString& caption, bool bold)
{
    QFont f = LblProgress->font();
    f.setBold(bold);
    LblProgress->setFont(f);
    LblProgress->setText(caption);
    if (isVisible())
        Paint();
}

void frmSplash::Paint()
{
    // A window is drawn only once the window system has put it on the
    // screen, which takes a few round trips after show(); painted before
    // that, the splash would stay black. A screen that never shows it costs
    // start-up one second at most.
    if (m_waitForScreen.isForever())
        m_waitForScreen.setRemainingTime(1000);
    while (!(windowHandle() && windowHandle()->isExposed()) && !m_waitForScreen.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
