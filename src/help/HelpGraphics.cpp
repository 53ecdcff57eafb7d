#include "help/HelpGraphics.h"

#include <QQuickWindow>
#include <QtGlobal>

namespace help {

namespace {

// Read by the X11 window-system plugin when the QApplication connects to the
// display; "none" leaves OpenGL unloaded.
constexpr char kGlIntegration[] = "QT_XCB_GL_INTEGRATION";

}  // namespace

SoftwareHelpDrawing::SoftwareHelpDrawing()
{
    // A user who chose how Qt Quick draws may want the GL it needs.
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (!qEnvironmentVariableIsSet(kGlIntegration)) {
        qputenv(kGlIntegration, "none");
        m_setGlIntegration = true;
    }
}

void SoftwareHelpDrawing::ApplicationMade()
{
    if (m_setGlIntegration)
        qunsetenv(kGlIntegration);
    m_setGlIntegration = false;
}

}  // namespace help
