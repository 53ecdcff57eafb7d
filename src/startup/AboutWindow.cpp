#include "startup/AboutWindow.h"

#include "startup/Version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The text as designed; "#version#" is filled in when the window is made.
const char kAboutText[] =
    "Ovrel - an integrated development environment for Blitz3D\n"
    "Version : #version#\n"
    "Written by the Ovrel team\n"
    "Contact: support@ovrel.org\n"
    "\n"
    "Ovrel is free to use, but not to be redistributed without permission.\n"
    "This is beta software: you use it at your own risk.\n"
    "\n"
    "News, updates and help on the project page: https://www.ovrel.org/\n"
    "\n"
    "Have a nice day!\n"
    "The Ovrel team";

// A cube seen from above one corner, lit from the top left, on a rounded
// tile: the 3D in Blitz3D, in the program's colours.
QPixmap Logo(int size, qreal dpr)
{
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    QLinearGradient tile(0, 0, s, s);
    tile.setColorAt(0, QColor(0x2b, 0x5f, 0xa8));
    tile.setColorAt(1, QColor(0x14, 0x2b, 0x55));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);

    // A regular hexagon around the cube's near corner.
    const QPointF mid(s * 0.5, s * 0.52);
    const qreal R = s * 0.32;
    const qreal dx = R * 0.866;
    const QPointF top = mid + QPointF(0, -R);
    const QPointF right = mid + QPointF(dx, -R / 2);
    const QPointF rightBottom = mid + QPointF(dx, R / 2);
    const QPointF bottom = mid + QPointF(0, R);
    const QPointF leftBottom = mid + QPointF(-dx, R / 2);
    const QPointF left = mid + QPointF(-dx, -R / 2);

    const auto face = [&](std::initializer_list<QPointF> points, const QColor& color) {
        QPainterPath path;
        auto it = points.begin();
        path.moveTo(*it);
        for (++it; it != points.end(); ++it)
            path.lineTo(*it);
        path.closeSubpath();
        p.setBrush(color);
        p.drawPath(path);
    };
    p.setPen(QPen(QColor(255, 255, 255, 230), s * 0.02, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    face({top, right, mid, left}, QColor(0xf2, 0xf6, 0xfc));
    face({left, mid, bottom, leftBottom}, QColor(0x9c, 0xc3, 0xee));
    face({mid, right, rightBottom, bottom}, QColor(0x4d, 0x8f, 0xd6));
    return pixmap;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(Logo(96, devicePixelRatioF()));
    m_image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setPlainText(QString::fromUtf8(kAboutText)
                             .replace(QStringLiteral("#version#"), version::AboutVersion()));
    m_text->setFixedSize(480, 210);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    // Hiding, not closing: the window is kept and shown again as it was.
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* body = new QHBoxLayout;
    body->addWidget(m_image);
    body->addWidget(m_text, 1);
    body->setSpacing(16);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
}

QString AboutWindow::Text() const
{
    return m_text->toPlainText();
}
