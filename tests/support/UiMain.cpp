// main() for widget tests: a real QApplication on the offscreen platform.
#include "help/HelpGraphics.h"
#include "help/HelpScheme.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    help::RegisterHelpScheme();
    help::SoftwareHelpDrawing helpDrawing;
    QApplication app(argc, argv);
    helpDrawing.ApplicationMade();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
