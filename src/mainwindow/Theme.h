#pragma once

#include <QColor>
#include <QPalette>

// The colours around the editor: the widgets' palette and the pane titles.
// The main window applies them in one place together with the editor's own
// colours from the settings, so a colour theme changes both at once.
struct WindowLook {
    QPalette palette;
    QColor titleFrom;  // the pane titles' gradient, left to right
    QColor titleTo;
    QColor titleText;
};

// The desktop's own palette, the pane titles shaded from it.
WindowLook DesktopLook(const QPalette& desktop);
