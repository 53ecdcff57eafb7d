#include "mainwindow/Theme.h"

#include "analysis/DeclList.h"
#include "editor/EditCtrl.h"
#include "editor/InitEditControl.h"
#include "mainwindow/MainLayout.h"
#include "mainwindow/MainWindow.h"
#include "startup/App.h"

#include <QApplication>

namespace {

QColor Mix(const QColor& a, const QColor& b, double share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
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

void MainWindow::ApplyColours()
{
    const WindowLook look = DesktopLook(QApplication::palette());
    setPalette(look.palette);
    m_layout->SetTitleColours(look.titleFrom, look.titleTo, look.titleText);
    InitEditControl();
}
