#include "startup/LabelsFile.h"
#include "startup/SettingsDialog.h"
#include "support/AppFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLineEdit>

#include <deque>
#include <functional>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    bool started = false;
    std::vector<ScriptedPrompter::Shown> shown;
    QStringList messages;
    bool hasWindow = false;
    Settings settings;
};

using Step = std::function<void(SettingsDialog&)>;

// Starts on `dir`, answering each settings dialog start-up shows with the
// next of `steps`.
Outcome Start(const ProgramDir& dir, ScriptedDialog dialogs = {}, std::deque<Step> steps = {})
{
    ScriptedPrompter prompter;
    // A message must never open beneath a window that keeps itself on top.
    prompter.onShow = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                << w->objectName().toStdString() << " covers the message";
    };
    App app(dir.path(), prompter, dialogs);
    app.runStartupSettings = [&](SettingsDialog& d) {
        if (steps.empty()) {
            // Leave with a folder typed, or start-up would ask forever.
            ADD_FAILURE() << "the settings dialog was shown once more than expected";
            d.findChild<QLineEdit*>("txtB3DDir")->setText("/unexpected");
            d.SaveSettings();
            return;
        }
        steps.front()(d);
        steps.pop_front();
    };
    Outcome r;
    r.started = app.Start();
    r.shown = prompter.shown;
    r.messages = prompter.texts();
    r.hasWindow = app.mainWindow() != nullptr;
    r.settings = app.settings;
    EXPECT_TRUE(steps.empty()) << steps.size() << " settings dialogs expected but not shown";
    return r;
}

TEST(Startup, EachLoaderFailureEndsStartupWithItsMessage)
{
    struct Row {
        const char* name;
        std::function<void(const ProgramDir&)> spoil;
        QStringList messages;  // a message ending in "*" is compared by prefix
        bool starts = false;
    };
    using D = const ProgramDir&;
    const QString init = "Error during initialization process:*";
    const std::vector<Row> rows = {
        {"missing prefs", [](D d) { QFile::remove(d.file("prefs.ini")); }, {"prefs.ini not found!"}},
        {"missing locale", [](D d) { QFile::remove(d.file("locale.txt")); },
         {"Locale.txt not found!!", "Cannot Load UILabels from locale.txt"}},
        {"parse error", [](D d) { d.write("locale.txt", "# texts\r\n\r\nthis is not an entry\r\n"); },
         {"Parse error on locale.txt, line 3", "Cannot Load UILabels from locale.txt"}},
        {"duplicate key", [](D d) { d.write("locale.txt", "mnufile=File\r\nMnuFile=Again\r\n"); }, {init}},
        {"malformed number", [](D d) { d.setPref("IDEOPTS", "TabSize", "four"); }, {init}},
        {"missing commands", [](D d) { QFile::remove(d.file("commands.txt")); }, {"Unable to find \"commands.txt\""}},
        // Lines the vocabulary cannot take apart.
        {"command ending in (", [](D d) { d.write("commands.txt", "Cls\r\nBroken(\r\n"); }, {init}},
        {"declaration without )",
         [](D d) { d.write("Blitz3D/userlibs/x.decls", ".lib \"x.dll\"\r\nF%(a%\r\n"); }, {init}},
        // Said without an icon, taken as black, and start-up goes on.
        {"malformed colour", [](D d) { d.setPref("IDECOLORS", "CommandsColor", "0,84"); },
         {"Cannot read the colour \"0,84\"*"}, true},
    };
    for (const Row& row : rows) {
        ProgramDir dir;
        row.spoil(dir);
        const Outcome r = Start(dir);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(r.started, row.starts);
        EXPECT_EQ(r.hasWindow, row.starts);
        ASSERT_EQ(r.messages.size(), row.messages.size()) << r.messages.join("|").toStdString();
        for (int i = 0; i < r.messages.size(); ++i) {
            const QString& want = row.messages[i];
            if (want.endsWith('*'))
                EXPECT_TRUE(r.messages[i].startsWith(want.chopped(1))) << r.messages[i].toStdString();
            else
                EXPECT_EQ(r.messages[i], want);
            EXPECT_EQ(r.shown[std::size_t(i)].icon, row.starts ? MsgIcon::None : MsgIcon::Critical);
        }
    }
}

void Click(SettingsDialog& d, const char* button)
{
    d.findChild<QAbstractButton*>(button)->click();
}

TEST(Startup, AsksForTheBlitzFolderThenTheFontUntilGiven)
{
    ProgramDir dir;
    dir.setPref("PATHS", "B3DDir", "");
    dir.setPref("IDEFONT", "FontName", "");
    ScriptedDialog dialogs;
    dialogs.files = {dir.blitzDir() + "/Blitz3D.exe"};
    dialogs.fonts = {FontChoice{"DejaVu Sans Mono", 12}};
    const Outcome r = Start(dir, dialogs, {
        // Discarded without a save: asked again.
        [](SettingsDialog& d) {
            d.findChild<QLineEdit*>("txttabSize")->setText("9");
            Click(d, "cmdDiscard");
        },
        // A wrong folder is refused but kept, so the folder question ends.
        // The same dialog comes back each time, as it was left.
        [](SettingsDialog& d) {
            EXPECT_EQ(d.findChild<QLineEdit*>("txttabSize")->text(), "9");
            d.findChild<QLineEdit*>("txtB3DDir")->setText("/nowhere");
            Click(d, "cmdSave");
            Click(d, "cmdDiscard");
        },
        // Then the font, until one is chosen.
        [](SettingsDialog& d) { Click(d, "cmdDiscard"); },
        [](SettingsDialog& d) {
            Click(d, "Command1");
            Click(d, "Command4");
            Click(d, "cmdSave");
        },
    });
    EXPECT_TRUE(r.started);
    ScriptedPrompter quiet;
    const QString noBlitz = "Blitz3D directory is not set correctly. Please select where Blitz3D.exe is located "
                            "before continue";
    const QString noFont = "Editor Font is not set. Please select font to use in Settings Dialog";
    EXPECT_EQ(r.messages, QStringList({noBlitz, noBlitz, LoadLabels(dir.path(), quiet)->getValue("blitzdirnotfound"),
                                       noFont, noFont}));
    for (std::size_t i : {0, 1, 3, 4})
        EXPECT_EQ(r.shown.at(i).icon, MsgIcon::Exclamation);
    EXPECT_EQ(r.settings.B3DDir, dir.blitzDir());
    EXPECT_EQ(r.settings.FontName, "DejaVu Sans Mono");
    EXPECT_EQ(r.settings.FontSize, 12);

    // The choices are stored: the next start asks nothing.
    const Outcome again = Start(dir);
    EXPECT_TRUE(again.started);
    EXPECT_TRUE(again.messages.isEmpty()) << again.messages.join("|").toStdString();
}

TEST(Startup, AFolderSavedBeforeAnyFontIsChosenSettlesBoth)
{
    ProgramDir dir;
    dir.setPref("PATHS", "B3DDir", "");
    dir.setPref("IDEFONT", "FontName", "");
    ScriptedDialog dialogs;
    dialogs.files = {dir.blitzDir() + "/Blitz3D.exe"};
    const Outcome r = Start(dir, dialogs, {[](SettingsDialog& d) {
        Click(d, "Command1");
        Click(d, "cmdSave");
    }});
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.messages.size(), 1);
    // The sample's own font is stored, and it is a fixed-width one.
    EXPECT_FALSE(r.settings.FontName.isEmpty());
    EXPECT_GT(r.settings.FontSize, 0);
    EXPECT_TRUE(QFontInfo(QFont(r.settings.FontName)).fixedPitch()) << r.settings.FontName.toStdString();
}

class Started : public AppFixture {};

TEST_F(Started, ShowsTheMainWindowWithItsCaptions)
{
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(window->windowTitle(), "Ovrel - v 0.8 build 20");
    EXPECT_EQ(window->menus().item("mnuNewBBFile")->text(), app->labels.getValue("mnunewbbfile"));
    EXPECT_EQ(window->menus().item("mnuDisableParsing")->text(), "Disable Parsing");
    EXPECT_TRUE(window->menus().item("mnuDebugTop")->isVisible());
    EXPECT_EQ(window->menus().item("mnuAutoindent")->isChecked(), app->settings.AutoIndent);
}

}  // namespace
