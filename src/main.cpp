#include "help/HelpGraphics.h"
#include "help/HelpScheme.h"
#include "help/WebEngineSetup.h"
#include "platform/EndingSignals.h"
#include "platform/QtCommonDialog.h"
#include "platform/QtPrompter.h"
#include "startup/App.h"
#include "lsp/Run.h"
#include "startup/CheckCommand.h"
#include "startup/CommandLine.h"
#include "startup/Layout.h"
#include "startup/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>

#include <iostream>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
    // A check from a shell needs no display: decided before anything of
    // the window system exists.
    {
        QStringList args;
        for (int i = 1; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        // The check and the language server beside this program load none
        // of the window's libraries, which would take tens of megabytes for
        // nothing; where they cannot be started, this program does the work.
        const auto handOver = [argv](const char* helper) {
#ifndef Q_OS_WIN
            ::execv(QFile::encodeName(QCoreApplication::applicationDirPath() + '/' + QLatin1String(helper)).constData(), argv);
#else
            Q_UNUSED(argv);
            Q_UNUSED(helper);
#endif
        };
        // The language server: standard input and output, no window.
        if (lsp::IsLspCommand(args)) {
            QCoreApplication core(argc, argv);
            handOver("ovrel-lsp");
            return lsp::RunLanguageServer(Layout::ForExecutable(QCoreApplication::applicationDirPath()));
        }
        if (check::IsCheckCommand(args)) {
            QCoreApplication core(argc, argv);
            handOver("ovrel-check");
            return check::RunCheckCommand(QCoreApplication::arguments().mid(1),
                                          Layout::ForExecutable(QCoreApplication::applicationDirPath()), std::cout,
                                          std::cerr);
        }
    }
    help::PrepareWebEngine();
    help::RegisterHelpScheme();
    // A later start only hands its files over and ends, so it does that
    // before any window system, GL context or web engine comes up, whose
    // teardown a process that ends this early could die in.
    Layout layout;
    QStringList documents;
    {
        QCoreApplication handing(argc, argv);
        layout = Layout::ForExecutable(QCoreApplication::applicationDirPath());
        documents = CommandLineDocuments(QCoreApplication::arguments().mid(1));
        if (HandToRunningInstance(layout, documents))
            return 0;
    }

    help::SoftwareHelpDrawing helpDrawing;
    QApplication qapp(argc, argv);
    helpDrawing.ApplicationMade();
    QApplication::setApplicationName(QStringLiteral("Ovrel"));
    QApplication::setDesktopFileName(QStringLiteral("ovrel"));

    // The desktop's icon theme knows the installed program; the build folder
    // carries its own picture.
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("ovrel"), QIcon(QDir(layout.programDir).filePath(QStringLiteral("ovrel.png")))));
    QtPrompter prompter;
    QtCommonDialog dialogs;
    App app(layout, prompter, dialogs);
    if (!app.Start(documents))
        return 1;
    EndingSignals ending;
    QObject::connect(&ending, &EndingSignals::Received, &qapp, [&app] { app.EndOnSignal(); });
    return qapp.exec();
}
