#include "mainwindow/MainWindow.h"
#include "startup/App.h"
#include "support/ProgramDir.h"
#include "support/Scripted.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    bool started = false;
    QStringList messages;
    QStringList dialogs;
    bool hasWindow = false;
    Settings settings;
};

Outcome Start(const ProgramDir& dir, ScriptedDialog dialogs = {})
{
    ScriptedPrompter prompter;
    App app(dir.path(), prompter, dialogs);
    Outcome r;
    r.started = app.Start();
    r.messages = prompter.texts();
    r.dialogs = dialogs.requests;
    r.hasWindow = app.mainWindow() != nullptr;
    r.settings = app.settings;
    return r;
}

TEST(Startup, EachLoaderFailureEndsStartupWithItsMessage)
{
    struct Row {
        const char* name;
        std::function<void(const ProgramDir&)> spoil;
        QStringList messages;  // a message ending in "*" is compared by prefix
    };
    const std::vector<Row> rows = {
        {"missing prefs", [](const ProgramDir& d) { QFile::remove(d.file("prefs.ini")); },
         {"prefs.ini not found!"}},
        {"missing locale", [](const ProgramDir& d) { QFile::remove(d.file("locale.txt")); },
         {"Locale.txt not found!!", "Cannot Load UILabels from locale.txt"}},
        {"parse error", [](const ProgramDir& d) { d.write("locale.txt", "# texts\r\n\r\nthis is not an entry\r\n"); },
         {"Parse error on locale.txt, line 3", "Cannot Load UILabels from locale.txt"}},
        {"duplicate key", [](const ProgramDir& d) { d.write("locale.txt", "mnufile=File\r\nMnuFile=Again\r\n"); },
         {"Error during initialization process:*"}},
        {"malformed number", [](const ProgramDir& d) { d.setPref("IDEOPTS", "TabSize", "four"); },
         {"Error during initialization process:*"}},
    };
    for (const Row& row : rows) {
        ProgramDir dir;
        row.spoil(dir);
        const Outcome r = Start(dir);
        EXPECT_FALSE(r.started) << row.name;
        EXPECT_FALSE(r.hasWindow) << row.name;
        ASSERT_EQ(r.messages.size(), row.messages.size()) << row.name << ": " << r.messages.join("|").toStdString();
        for (int i = 0; i < r.messages.size(); ++i) {
            const QString& want = row.messages[i];
            if (want.endsWith('*'))
                EXPECT_TRUE(r.messages[i].startsWith(want.chopped(1))) << r.messages[i].toStdString();
            else
                EXPECT_EQ(r.messages[i], want) << row.name;
        }
    }
}

TEST(Startup, AMalformedColourIsReportedAndStartupGoesOn)
{
    ProgramDir dir;
    dir.setPref("IDECOLORS", "CommandsColor", "0,84");
    const Outcome r = Start(dir);
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.hasWindow);
    ASSERT_EQ(r.messages.size(), 1);
    EXPECT_TRUE(r.messages[0].contains("0,84")) << r.messages[0].toStdString();
    EXPECT_EQ(r.settings.CommandsColor, 0u);
}

TEST(Startup, AsksForTheBlitzFolderThenTheFontUntilGiven)
{
    ProgramDir dir;
    dir.setPref("PATHS", "B3DDir", "");
    dir.setPref("IDEFONT", "FontName", "");
    ScriptedDialog dialogs;
    dialogs.files = {std::nullopt, dir.blitzDir()};  // cancelled once, then chosen
    dialogs.fonts = {FontChoice{"DejaVu Sans Mono", 12}};
    const Outcome r = Start(dir, dialogs);
    EXPECT_TRUE(r.started);
    ASSERT_EQ(r.messages.size(), 3);
    EXPECT_TRUE(r.messages[0].startsWith("Blitz3D directory is not set correctly."));
    EXPECT_TRUE(r.messages[1].startsWith("Blitz3D directory is not set correctly."));
    EXPECT_TRUE(r.messages[2].startsWith("Editor Font is not set."));
    EXPECT_EQ(r.settings.B3DDir, dir.blitzDir());
    EXPECT_EQ(r.settings.FontName, "DejaVu Sans Mono");

    // The choices are stored: the next start asks nothing.
    const Outcome again = Start(dir);
    EXPECT_TRUE(again.started);
    EXPECT_TRUE(again.messages.isEmpty()) << again.messages.join("|").toStdString();
}

TEST(Startup, ShowsTheMainWindowWithItsCaptions)
{
    ProgramDir dir;
    ScriptedPrompter prompter;
    ScriptedDialog dialogs;
    App app(dir.path(), prompter, dialogs);
    ASSERT_TRUE(app.Start());
    MainWindow* w = app.mainWindow();
    ASSERT_TRUE(w);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(w->windowTitle(), "Ovrel - v 0.8 build 20");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->menus().item("mnuNewBBFile")->text(), app.labels.getValue("mnunewbbfile"));
    EXPECT_EQ(w->menus().item("mnuNewBBFile")->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(w->menus().item("mnuDisableParsing")->text(), "Disable Parsing");
    EXPECT_TRUE(w->menus().item("mnuDebugTop")->isVisible());
    EXPECT_EQ(w->menus().item("mnuAutoindent")->isChecked(), app.settings.AutoIndent);
}

}  // namespace
