#pragma once

#include "documents/DocumentManager.h"
#include "documents/DocumentTabs.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"
#include "startup/App.h"
#include "startup/SettingsDialog.h"
#include "support/ProgramDir.h"
#include "support/Scripted.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// A started IDE on its own program directory, with every message box and
// dialog scripted: the real main window, offscreen.
// True while the process exists and is not a zombie waiting to be reaped.
bool Alive(qint64 pid);

// The control of `w` named `name`; a missing one fails the test where it is asked for.
template <typename T = QAbstractButton>
T* Child(QWidget& w, const QString& name)
{
    if (T* child = w.findChild<T*>(name))
        return child;
    throw std::runtime_error("no control " + name.toStdString());
}

// Runs `steps` on the modal dialog of type T that the next call opens, from
// inside the dialog's own event loop.
template <typename T>
void OnModal(std::function<void(T&)> steps)
{
    QTimer::singleShot(0, qApp, [steps] {
        auto* d = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d) << "no modal dialog";
        steps(*d);
    });
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override { Launch(); }
    void TearDown() override { Close(); }

    // Ends the IDE, throwing away unsaved whatever is still open.
    void Close()
    {
        prompter.answers.clear();
        prompter.discarding = true;
        if (window)
            window->close();
        window = nullptr;
        app.reset();
    }
    // Starts the IDE on the program directory, opening `files`.
    void Launch(const QStringList& files = {})
    {
        prompter.discarding = false;
        app = std::make_unique<App>(dir.path(), prompter, dialogs);
        ASSERT_TRUE(app->Start(files)) << prompter.texts().join("|").toStdString();
        window = app->mainWindow();
        ASSERT_TRUE(window);
        Pump();
    }

    void Restart(const QStringList& files = {})
    {
        Close();
        Launch(files);
    }
    // The window in front with the keyboard, as keys and shortcuts need it.
    bool Activate()
    {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    DocumentManager& docs() const { return window->docs(); }
    EditCtrl& editor() const { return window->editor(); }
    // The editor's text area, where the mouse and drops land.
    QWidget* editorArea() const { return Child<QWidget>(*editor().focusProxy(), "qt_scrollarea_viewport"); }
    CDoc& current() const { return *docs().CurrentDoc(); }
    // "file:line:column" of the caret.
    std::string Where() const
    {
        const CaretPosition caret = editor().CaretPos();
        return current().FileTitle.toStdString() + ":" + std::to_string(caret.Line) + ":" + std::to_string(caret.Column);
    }
    void Command(const char* menuName) { window->dispatcher().DoCommand(QString::fromLatin1(menuName)); }
    // As a click on the tab of the document (or help page) with this key.
    void ClickTab(const QString& key) { window->tabs().setCurrentIndex(window->tabs().IndexOf(key)); }

    // Opens the settings from the menu, runs `edit` on the dialog and saves.
    void SaveSettings(const std::function<void(SettingsDialog&)>& edit)
    {
        OnModal<SettingsDialog>([edit](SettingsDialog& d) {
            edit(d);
            Child(d, "cmdSave")->click();
        });
        Command("mnuPrefs");
    }

    // Types text into the editor as keys, so the editor's events run.
    void Type(const QString& text);
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Makes the Blitz3D folder's compiler a shell script running `body`.
    void FakeCompiler(const std::string& body) const;
    // Waits for the build under way to end.
    bool BuildFinished() const;

    ProgramDir dir;
    ScriptedPrompter prompter;
    ScriptedDialog dialogs;
    std::unique_ptr<App> app;
    MainWindow* window = nullptr;
};
