#include "mainwindow/Theme.h"

#include "panes/DeclList.h"
#include "editor/EditCtrl.h"
#include "editor/InitEditControl.h"
#include "mainwindow/MainLayout.h"
#include "mainwindow/MainWindow.h"
#include "platform/QtColor.h"
#include "startup/App.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

namespace {

QColor Mix(const QColor& a, const QColor& b, double share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

// The palettes the desktop gave the program, before any look replaced them.
const QPalette& DesktopPalette()
{
    static const QPalette desktop = QApplication::palette();
    return desktop;
}

const QPalette& DesktopToolTipPalette()
{
    static const QPalette desktop = QToolTip::palette();
    return desktop;
}

}  // namespace

WindowLook DesktopLook(const QPalette& desktop)
{
    WindowLook look;
    look.palette = desktop;
    const QColor window = desktop.color(QPalette::Window);
    look.titleFrom = Mix(window, desktop.color(QPalette::Highlight), 0.22);
    look.titleTo = window;
    look.titleText = desktop.color(QPalette::WindowText);
    return look;
}

WindowLook DarkLook(const Settings& colours)
{
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    const QColor base = ToQColor(colours.BackColor);
    const QColor text = ToQColor(colours.TextColor);
    const QColor accent = ToQColor(colours.CommandsColor);
    // Bars and panes a step lighter than the editor, buttons a step more.
    const QColor window = Mix(base, white, 0.07);
    const QColor button = Mix(base, white, 0.12);
    const QColor highlight = Mix(base, accent, 0.55);

    QPalette p;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = group == QPalette::Disabled;
        const QColor shownText = off ? Mix(text, window, 0.55) : text;
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, shownText);
        p.setColor(group, QPalette::Base, off ? window : base);
        p.setColor(group, QPalette::AlternateBase, Mix(base, white, 0.035));
        p.setColor(group, QPalette::Text, shownText);
        p.setColor(group, QPalette::PlaceholderText, Mix(text, base, 0.45));
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, shownText);
        p.setColor(group, QPalette::BrightText, white);
        p.setColor(group, QPalette::Light, Mix(button, white, 0.15));
        p.setColor(group, QPalette::Midlight, Mix(button, white, 0.07));
        p.setColor(group, QPalette::Mid, Mix(base, black, 0.1));
        p.setColor(group, QPalette::Dark, Mix(base, black, 0.35));
        p.setColor(group, QPalette::Shadow, black);
        p.setColor(group, QPalette::Highlight, off ? Mix(highlight, window, 0.5) : highlight);
        p.setColor(group, QPalette::HighlightedText, off ? shownText : white);
        p.setColor(group, QPalette::Link, accent);
        p.setColor(group, QPalette::LinkVisited, ToQColor(colours.FunctionsColor));
        p.setColor(group, QPalette::ToolTipBase, button);
        p.setColor(group, QPalette::ToolTipText, text);
    }

    WindowLook look;
    look.palette = p;
    look.titleFrom = Mix(window, highlight, 0.45);
    look.titleTo = window;
    look.titleText = text;
    look.dark = true;
    return look;
}

WindowLook LookFor(const Settings& colours, const QPalette& desktop)
{
    return LightnessOf(colours.BackColor) < 128 ? DarkLook(colours) : DesktopLook(desktop);
}

void MainWindow::ApplyColours()
{
    const WindowLook look = LookFor(m_app.settings, DesktopPalette());
    // Some desktop styles draw their own colours whatever the palette says;
    // the style Qt draws with itself follows it. A light scheme gives the
    // desktop its own style back.
    const QString style = look.dark ? QStringLiteral("fusion") : m_desktopStyle;
    if (QApplication::style()->name().compare(style, Qt::CaseInsensitive) != 0) {
        if (QStyle* wanted = QStyleFactory::create(style))
            QApplication::setStyle(wanted);
    }
    // For the whole program, so that menus, message boxes, dialogs and
    // tooltips match.
    const QPalette& desktopTips = DesktopToolTipPalette();
    QApplication::setPalette(look.palette);
    QToolTip::setPalette(look.dark ? look.palette : desktopTips);
    m_layout->SetTitleColours(look.titleFrom, look.titleTo, look.titleText);
    InitEditControl();
}
