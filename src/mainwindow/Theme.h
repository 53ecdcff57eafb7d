#pragma once

#include <QColor>
#include <QPalette>

struct Settings;

// The colours around the editor: the widgets' palette and the pane titles.
// The main window applies them in one place together with the editor's own
// colours from the settings, so a colour theme changes both at once.
struct WindowLook {
    QPalette palette;
    QColor titleFrom;  // the pane titles' gradient, left to right
    QColor titleTo;
    QColor titleText;
    bool dark = false;
};

// The desktop's own palette, the pane titles shaded from it.
WindowLook DesktopLook(const QPalette& desktop);
// A dark window made from a dark editor's colours, so that the menus, bars,
// lists and dialogs around it match it.
WindowLook DarkLook(const Settings& colours);
// The look that goes with the editor's colours: the desktop's around a light
// editor, DarkLook around a dark one.
WindowLook LookFor(const Settings& colours, const QPalette& desktop);
