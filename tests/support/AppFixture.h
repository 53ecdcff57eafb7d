#pragma once

#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"
#include "startup/App.h"
#include "support/ProgramDir.h"
#include "support/Scripted.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A started IDE on its own program directory, with every message box and
// dialog scripted: the real main window, offscreen.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = std::make_unique<App>(dir.path(), prompter, dialogs);
        ASSERT_TRUE(app->Start(StartDocuments())) << prompter.texts().join("|").toStdString();
        window = app->mainWindow();
        ASSERT_TRUE(window);
        Pump();
    }

    void TearDown() override
    {
        // Whatever is still open is thrown away unsaved.
        prompter.answers.assign(64, MsgAnswer::No);
        if (window)
            window->close();
        app.reset();
    }

    virtual QStringList StartDocuments() const { return {}; }

    // Lets queued events and timers run for a while.
    static void Pump(int ms = 0)
    {
        QElapsedTimer t;
        t.start();
        do
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        while (t.elapsed() < ms);
    }
    // Runs events until `done` holds or `ms` have passed.
    static bool WaitFor(const std::function<bool()>& done, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    DocumentManager& docs() const { return window->docs(); }
    EditCtrl& editor() const { return window->editor(); }
    CDoc& current() const { return *docs().CurrentDoc(); }
    void Command(const char* menuName) { window->dispatcher().DoCommand(QString::fromLatin1(menuName)); }

    // Types text into the editor as keys, so the editor's events run.
    void Type(const QString& text);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    ProgramDir dir;
    ScriptedPrompter prompter;
    ScriptedDialog dialogs;
    std::unique_ptr<App> app;
    MainWindow* window = nullptr;
};
