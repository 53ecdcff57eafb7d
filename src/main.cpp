#include "help/HelpScheme.h"
#include "help/WebEngineSetup.h"
#include "platform/QtCommonDialog.h"
#include "platform/QtPrompter.h"
#include "startup/App.h"
#include "startup/CommandLine.h"
#include "startup/Layout.h"
#include "startup/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char** argv)
{
    help::PrepareWebEngine();
    help::RegisterHelpScheme();
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ovrel"));
    QApplication::setDesktopFileName(QStringLiteral("ovrel"));

    const Layout layout = Layout::ForExecutable(QApplication::applicationDirPath());
    const QStringList documents = CommandLineDocuments(QApplication::arguments().mid(1));
    if (HandToRunningInstance(layout, documents))
        return 0;

    // The desktop's icon theme knows the installed program; the build folder
    // carries its own picture.
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("ovrel"), QIcon(QDir(layout.programDir).filePath(QStringLiteral("ovrel.png")))));
    QtPrompter prompter;
    QtCommonDialog dialogs;
    App app(layout, prompter, dialogs);
    if (!app.Start(documents))
        return 1;
    return qapp.exec();
}
