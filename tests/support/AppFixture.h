#pragma once

#include "documents/DocumentManager.h"
#include "documents/DocumentTabs.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"
#include "startup/App.h"
#include "support/ProgramDir.h"
#include "support/Scripted.h"
#include "support/Wait.h"

#include <QApplication>

#include <gtest/gtest.h>

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

    DocumentManager& docs() const { return window->docs(); }
    EditCtrl& editor() const { return window->editor(); }
    CDoc& current() const { return *docs().CurrentDoc(); }
    void Command(const char* menuName) { window->dispatcher().DoCommand(QString::fromLatin1(menuName)); }
    // As a click on the tab of the document (or help page) with this key.
    void ClickTab(const QString& key) { window->tabs().setCurrentIndex(window->tabs().IndexOf(key)); }

    // Types text into the editor as keys, so the editor's events run.
    void Type(const QString& text);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    ProgramDir dir;
    ScriptedPrompter prompter;
    ScriptedDialog dialogs;
    std::unique_ptr<App> app;
    MainWindow* window = nullptr;
};
