#include "support/BenchApp.h"

#include "mainwindow/MainWindow.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <stdexcept>

BenchApp::BenchApp()
{
    const QDir resources(QStringLiteral(OVREL_RESOURCES_DIR));
    for (const char* name : {"locale.txt", "prefs.ini", "commands.txt"})
        QFile::copy(resources.filePath(QString::fromLatin1(name)), m_dir.filePath(QString::fromLatin1(name)));
    const QDir built(QStringLiteral(OVREL_BUILD_DIR));
    for (const char* name : {"ToolbarsIcons.bmp", "ToolbarsDisabledIcons.bmp", "SmallIcons.bmp", "VertSplitter.bmp"})
        QFile::copy(built.filePath(QString::fromLatin1(name)), m_dir.filePath(QString::fromLatin1(name)));
    QDir(m_dir.path()).mkpath(QStringLiteral("Blitz3D/bin"));
    QFile compiler(m_dir.filePath(QStringLiteral("Blitz3D/bin/blitzcc.exe")));
    compiler.open(QIODevice::WriteOnly);
    compiler.close();
    WriteIniString(m_dir.filePath(QStringLiteral("prefs.ini")), QStringLiteral("PATHS"), QStringLiteral("B3DDir"),
                   m_dir.filePath(QStringLiteral("Blitz3D")));
    m_app = std::make_unique<App>(m_dir.path(), m_quiet, m_quiet);
    QElapsedTimer clock;
    clock.start();
    if (!m_app->Start())
        throw std::runtime_error("the IDE did not start");
    m_startSeconds = double(clock.nsecsElapsed()) / 1e9;
    PumpEvents(50);
}

BenchApp::~BenchApp()
{
    if (m_app && m_app->mainWindow())
        m_app->mainWindow()->close();
}

MainWindow& BenchApp::window()
{
    return *m_app->mainWindow();
}

void PumpEvents(int ms)
{
    QElapsedTimer t;
    t.start();
    do
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    while (t.elapsed() < ms);
}
