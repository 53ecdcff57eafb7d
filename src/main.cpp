#include "help/HelpScheme.h"
#include "help/WebEngineSetup.h"
#include "platform/QtCommonDialog.h"
#include "platform/QtPrompter.h"
#include "startup/App.h"
#include "startup/CommandLine.h"

#include <QApplication>

int main(int argc, char** argv)
{
    help::PrepareWebEngine();
    help::RegisterHelpScheme();
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ovrel"));

    QtPrompter prompter;
    QtCommonDialog dialogs;
    App app(QApplication::applicationDirPath(), prompter, dialogs);
    if (!app.Start(CommandLineDocuments(QApplication::arguments().mid(1))))
        return 1;
    return qapp.exec();
}
