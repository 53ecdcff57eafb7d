#pragma once

#include <QByteArray>

namespace help {

// The help page is drawn by the processor rather than through OpenGL. Making
// a GL context costs most of a tenth of a second at every start (a software
// GL first loads a shader compiler), before the window can be drawn at all,
// and the window went black while it was made GL-capable for the first help
// page. Pages of text and pictures need neither.
//
// Made before the QApplication exists. An OpenGL choice the user made in the
// environment is kept. Once the application exists, ApplicationMade() puts
// the environment back as the user had it, so the compiler and the programs
// it builds start with the user's own.
class SoftwareHelpDrawing {
public:
    SoftwareHelpDrawing();
    void ApplicationMade();

private:
    bool m_setGlIntegration = false;
};

}  // namespace help
