#include "assist/DlgInlineHelp.h"

#include "assist/PopupPlacement.h"
#include "platform/Text.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int kPadding = 5;  // each side: the text's width + 10

const QColor kBorder(160, 166, 176);

}  // namespace

DlgInlineHelp::DlgInlineHelp(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("DlgInlineHelp"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    // Off-screen until the first placement puts it under the caret.
    setGeometry(-1000, -400, 640, 20);
}

QFont DlgInlineHelp::BoldFont() const
{
    QFont f = font();
    f.setBold(true);
    return f;
}

QSize DlgInlineHelp::SizeForTip() const
{
    const QFontMetrics plain(font());
    const QFontMetrics bold(BoldFont());
    const int width = plain.horizontalAdvance(text::FromBytes(m_tip.before)) +
                      bold.horizontalAdvance(text::FromBytes(m_tip.bold)) +
                      plain.horizontalAdvance(text::FromBytes(m_tip.after)) + 2 * kPadding;
    return {width, std::max(plain.height(), bold.height()) + 8};
}

void DlgInlineHelp::SetTip(const CallTipText& tip)
{
    m_tip = tip;
    if (isVisible()) {
        // The tip stays where it is, but the bold parameter moving on changes
        // the text's width, and a clipped parameter list is no help.
        ensurePolished();
        const QSize size = SizeForTip();
        const QScreen* screen = this->screen();
        const QRect bounds = screen ? screen->availableGeometry() : QRect(pos(), size);
        QPoint at = pos();
        if (at.x() + size.width() >= bounds.left() + bounds.width())
            at.setX(std::max(bounds.left(), bounds.left() + bounds.width() - 1 - size.width()));
        setGeometry(QRect(at, size));
    }
    update();
}

void DlgInlineHelp::PlaceAt(QPoint caretOnScreen)
{
    // Measured with the font it will be painted in, which a window gets
    // when it is first polished.
    ensurePolished();
    const QSize size = SizeForTip();
    const QScreen* screen = QGuiApplication::screenAt(caretOnScreen);
    if (!screen)
        screen = this->screen();
    setGeometry(QRect(PopupPosition(caretOnScreen, QPoint(0, 24), size, screen->availableGeometry()), size));
}

void DlgInlineHelp::paintEvent(QPaintEvent*)
{
    // The palette's colours, so that the tip matches the colour scheme: the
    // parameter being typed in the text's full colour, the rest quieter.
    const QPalette& pal = palette();
    const QColor current = pal.color(QPalette::Text);
    const QColor base = pal.color(QPalette::Base);
    const QColor quiet = QColor::fromRgbF(float(current.redF() * 0.75 + base.redF() * 0.25),
                                          float(current.greenF() * 0.75 + base.greenF() * 0.25),
                                          float(current.blueF() * 0.75 + base.blueF() * 0.25));
    QPainter p(this);
    p.fillRect(rect(), base);
    p.setPen(kBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect area = rect().adjusted(kPadding, 0, -kPadding, 0);
    int x = area.left();
    auto run = [&](const std::string& bytes, const QFont& font, const QColor& colour) {
        const QString s = text::FromBytes(bytes);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRect(x, area.top(), area.right() - x + 1, area.height()), Qt::AlignLeft | Qt::AlignVCenter, s);
        x += QFontMetrics(font).horizontalAdvance(s);
    };
    run(m_tip.before, font(), quiet);
    run(m_tip.bold, BoldFont(), current);
    run(m_tip.after, font(), quiet);
}
