#include "help/HelpBrowser.h"
#include "startup/LabelsFile.h"
#include "startup/SettingsDialog.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QFontInfo>
#include <QLineEdit>
#include <QTabWidget>

#include <deque>
#include <functional>
#include <memory>

namespace {

const CUILabels kLabels = ParseLabels(ShippedResource("locale.txt")).labels;

struct Outcome {
    bool started = false;
    std::vector<ScriptedPrompter::Shown> shown;
    QStringList messages;
    bool hasWindow = false;
    Settings settings;
};

using Step = std::function<void(SettingsDialog&)>;
using Steps = std::shared_ptr<std::deque<Step>>;
const Step discard = [](SettingsDialog& d) { Child(d, "cmdDiscard")->click(); };

// Answers each settings dialog start-up shows with the next of `steps`.
Step Answering(const ProgramDir& dir, Steps steps)
{
    return [&dir, steps](SettingsDialog& d) {
        if (steps->empty()) {
            // Leave with the folder saved, or start-up would ask forever.
            ADD_FAILURE() << "the settings dialog was shown once more than expected";
            d.findChild<QLineEdit*>("txtB3DDir")->setText(dir.blitzDir());
            d.SaveSettings();
            return;
        }
        steps->front()(d);
        steps->pop_front();
    };
}

// Starts on `dir`, answering the settings dialogs with `steps` and the
// messages with `answers`.
Outcome Start(const ProgramDir& dir, ScriptedDialog dialogs = {}, std::deque<Step> steps = {},
              std::deque<MsgAnswer> answers = {})
{
    ScriptedPrompter prompter;
    prompter.answers = std::move(answers);
    // A message must never open beneath a window that keeps itself on top.
    prompter.onShow = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                << w->objectName().toStdString() << " covers the message";
    };
    App app(dir.path(), prompter, dialogs);
    const Steps left = std::make_shared<std::deque<Step>>(std::move(steps));
    app.runStartupSettings = Answering(dir, left);
    Outcome r;
    r.started = app.Start();
    r.shown = prompter.shown;
    r.messages = prompter.texts();
    r.hasWindow = app.mainWindow() != nullptr;
    r.settings = app.settings;
    EXPECT_TRUE(left->empty()) << left->size() << " settings dialogs expected but not shown";
    return r;
}

// Whether the splash was on screen as the main window showed.
class SplashWatch : public QObject {
public:
    bool splashShown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == u"mainForm") {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == u"frmSplash" && w->isVisible())
                    splashShown = true;
        }
        return false;
    }
};

TEST(Startup, EachLoaderFailureEndsStartupWithItsMessage)
{
    using D = const ProgramDir&;
    const QString init = "Error during initialization process:*";
    const struct {
        const char* name;
        std::function<void(const ProgramDir&)> spoil;
        QStringList messages;  // a message ending in "*" is compared by prefix
        bool starts = false;
    } rows[] = {
        {"missing prefs", [](D d) { QFile::remove(d.file("prefs.ini")); }, {"prefs.ini not found!"}},
        {"missing locale", [](D d) { QFile::remove(d.file("locale.txt")); },
         {"Locale.txt not found!!", "Cannot Load UILabels from locale.txt"}},
        {"parse error", [](D d) { d.write("locale.txt", "# texts\r\n\r\nthis is not an entry\r\n"); },
         {"Parse error on locale.txt, line 3", "Cannot Load UILabels from locale.txt"}},
        {"duplicate key", [](D d) { d.write("locale.txt", "mnufile=File\r\nMnuFile=Again\r\n"); }, {init}},
        {"missing commands", [](D d) { QFile::remove(d.file("commands.txt")); }, {"Unable to find \"commands.txt\""}},
        // Said without an icon, taken as black, and start-up goes on.
        {"malformed colour", [](D d) { d.setPref("IDECOLORS", "CommandsColor", "0,84"); },
         {"Cannot read the colour \"0,84\"*"}, true},
    };
    for (const auto& row : rows) {
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

TEST(Startup, AsksForTheBlitzFolderThenTheFontUntilGiven)
{
    ProgramDir dir;
    dir.setPref("PATHS", "B3DDir", "");
    dir.setPref("IDEFONT", "FontName", "");
    // After a discard the user may quit (going on is the start of WithoutBlitz
    // below), and nothing is stored, so the next start asks again. No font
    // question: without Blitz3D the dialog could never save one.
    const std::string prefs = dir.read("prefs.ini");
    Outcome r = Start(dir, {}, {discard}, {MsgAnswer::Ok, MsgAnswer::No});
    EXPECT_FALSE(r.started || r.hasWindow);
    ASSERT_EQ(r.shown.size(), 2u) << r.messages.join("|").toStdString();
    EXPECT_EQ(r.shown[1].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(r.shown[1].icon, MsgIcon::Question);
    // Named by what they do: Yes goes on, No quits, Cancel asks again.
    EXPECT_EQ(r.shown[1].captions, QStringList({kLabels.getValue("goonwithoutblitz"), kLabels.getValue("quit"),
                                               kLabels.getValue("chooseblitzdir")}));
    EXPECT_EQ(dir.read("prefs.ini"), prefs);

    ScriptedDialog dialogs;
    dialogs.files = {dir.blitzDir() + "/Blitz3D.exe"};
    const auto focused = [](SettingsDialog& d, int page, const char* box) {
        EXPECT_EQ(d.currentPage(), page);
        EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>(box)) << d.focusWidget()->objectName().toStdString();
    };
    const MsgAnswer chooseTheFolder = MsgAnswer::Cancel;
    r = Start(
        dir, dialogs,
        {
            // Discarded without a save, then asked whether to go on.
            [](SettingsDialog& d) {
                d.findChild<QLineEdit*>("txttabSize")->setText("9");
                d.findChild<QTabWidget*>("TabStrip1")->setCurrentIndex(2);
                d.findChild<QWidget*>("cmdDiscard")->setFocus();
                Child(d, "cmdDiscard")->click();
            },
            // A wrong folder is refused and never taken, however the dialog
            // is then left (here by its title bar's close button). The same
            // dialog comes back each time, as it was left, with the keyboard
            // on what is asked for.
            [&](SettingsDialog& d) {
                focused(d, 0, "txtB3DDir");
                EXPECT_EQ(d.findChild<QLineEdit*>("txttabSize")->text(), "9");
                d.show();
                d.findChild<QLineEdit*>("txtB3DDir")->setText(dir.file("Elsewhere"));
                Child(d, "cmdSave")->click();
                d.close();
            },
            [&](SettingsDialog& d) {
                Child(d, "Command1")->click();
                Child(d, "cmdSave")->click();
            },
        },
        {MsgAnswer::Ok, chooseTheFolder, MsgAnswer::Ok, MsgAnswer::Ok, chooseTheFolder});
    EXPECT_TRUE(r.started);
    const QString noBlitz = "Blitz3D directory is not set correctly. Please select where Blitz3D.exe is located "
                            "before continue";
    const QString stillUnset = kLabels.getValue("blitzstillunset");
    EXPECT_EQ(r.messages, QStringList({noBlitz, stillUnset, noBlitz, kLabels.getValue("blitzdirnotfound"), stillUnset,
                                       noBlitz}));
    for (std::size_t i : {0, 2, 5})
        EXPECT_EQ(r.shown.at(i).icon, MsgIcon::Exclamation);
    EXPECT_EQ(r.settings.B3DDir, dir.blitzDir());
    // Saved before any font was chosen: the sample's fixed-width one is
    // stored, so the font is not asked for.
    EXPECT_TRUE(QFontInfo(QFont(r.settings.FontName)).fixedPitch()) << r.settings.FontName.toStdString();

    // With the folder set and no font, the font is asked for until chosen.
    dir.setPref("IDEFONT", "FontName", "");
    dialogs.fonts = {FontChoice{"DejaVu Sans Mono", 12}};
    r = Start(dir, dialogs,
              {discard, [&](SettingsDialog& d) {
                   focused(d, 1, "Command4");
                   Child(d, "Command4")->click();
                   Child(d, "cmdSave")->click();
               }});
    const QString noFont = "Editor Font is not set. Please select font to use in Settings Dialog";
    EXPECT_EQ(r.messages, QStringList({noFont, noFont}));
    EXPECT_EQ(r.settings.FontName, "DejaVu Sans Mono");
    EXPECT_EQ(r.settings.FontSize, 12);

    // The choices are stored: the next start asks nothing.
    const Outcome again = Start(dir);
    EXPECT_TRUE(again.started);
    EXPECT_TRUE(again.messages.isEmpty()) << again.messages.join("|").toStdString();
}

// Started without Blitz3D or a font: the folder question discarded, then
// Go on. No font is asked for, and nothing is stored.
class WithoutBlitz : public AppFixture {
protected:
    void SetUp() override
    {
        dir.setPref("PATHS", "B3DDir", "");
        dir.setPref("IDEFONT", "FontName", "");
        prefs = dir.read("prefs.ini");
        app = std::make_unique<App>(dir.path(), prompter, dialogs);
        app->runStartupSettings = Answering(dir, std::make_shared<std::deque<Step>>(1, discard));
        prompter.answers = {MsgAnswer::Ok, MsgAnswer::Yes};
        ASSERT_TRUE(app->Start());
        ASSERT_EQ(prompter.shown.size(), 2u) << prompter.texts().join("|").toStdString();
        window = app->mainWindow();
        Pump();
        prompter.shown.clear();
    }
    std::string prefs;
};

TEST_F(WithoutBlitz, EditingWorksAndTheBuildAndCommandHelpOfferTheSettings)
{
    EXPECT_EQ(app->settings.B3DDir, "");
    EXPECT_TRUE(QFontInfo(QFont(app->settings.FontName)).fixedPitch()) << app->settings.FontName.toStdString();
    EXPECT_EQ(dir.read("prefs.ini"), prefs);
    docs().OpenDoc(dir.write("game.bb", "Cls\r\n"));
    Type("Graphics 640,480\n");
    const QString unset = app->labels.getValue("blitzdirunset");

    // Declined: nothing is saved or built.
    prompter.answers = {MsgAnswer::Cancel};
    Command("mnuCheck");
    ASSERT_EQ(prompter.texts().join("|").toStdString(), unset.toStdString());
    EXPECT_EQ(prompter.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_TRUE(current().Modified);
    EXPECT_EQ(window->InfoPanel(), "");

    // F1 shows a command's signature without Blitz3D; its page needs the
    // folder, which the settings then take.
    editor().SetCaret(1, 2);
    Key(Qt::Key_F1);
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(window->InfoPanel().trimmed(), "Cls");
    OnModal<SettingsDialog>([this](SettingsDialog& d) {
        Child<QLineEdit>(d, "txtB3DDir")->setText(dir.blitzDir());
        Child(d, "cmdSave")->click();
    });
    prompter.answers = {MsgAnswer::Ok};
    Key(Qt::Key_F1);
    EXPECT_EQ(prompter.texts().value(1).toStdString(), unset.toStdString());
    EXPECT_EQ(app->settings.B3DDir, dir.blitzDir());
    EXPECT_TRUE(window->InfoPanel().startsWith("No help page for Cls")) << window->InfoPanel().toStdString();

    // What was said about the folder goes once another folder is saved.
    SaveSettings([this](SettingsDialog& d) { Child<QLineEdit>(d, "txtB3DDir")->setText(dir.blitzDir() + "/"); });
    EXPECT_EQ(window->InfoPanel(), "");
}

// Start-up is slow to draw its main window: the splash stays until it shows.
// The help's web engine takes longer to start than the rest of the window:
// it starts after the window is drawn, and not at all while a document named
// on the command line is in front, until the help is first shown. Those
// documents open in their order, the last one in front.
TEST(Startup, TheWindowIsDrawnBeforeTheHelpStartsItsWebEngine)
{
    for (const bool withDocuments : {false, true}) {
        SCOPED_TRACE(withDocuments ? "with documents" : "help in front");
        ProgramDir dir;
        ScriptedPrompter prompter;
        ScriptedDialog dialogs;
        App app(dir.path(), prompter, dialogs);
        SplashWatch watch;
        qApp->installEventFilter(&watch);
        ASSERT_TRUE(app.Start(withDocuments ? QStringList{dir.write("my game.bb", "Graphics 800,600\r\n"),
                                                          dir.write("second.bb", "End\r\n")}
                                            : QStringList{}));
        qApp->removeEventFilter(&watch);
        EXPECT_TRUE(watch.splashShown);
        MainWindow& window = *app.mainWindow();
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(window.windowTitle(), "Ovrel - v 0.8 build 20");
        QStringList titles;
        for (const CDocPtr& d : window.docs().Docs())
            titles << d->FileTitle;
        EXPECT_EQ(titles, withDocuments ? QStringList({"my game.bb", "second.bb"}) : QStringList())
            << "opened before the window is drawn";
        EXPECT_TRUE(!withDocuments || window.docs().CurrentDoc()->FileTitle == "second.bb");
        EXPECT_FALSE(window.helpBrowser().EngineStarted());
        EXPECT_EQ(WaitUntil([&] { return window.helpBrowser().EngineStarted(); }, 2500), !withDocuments);
        if (withDocuments) {
            window.tabs().setCurrentIndex(window.tabs().IndexOf(DocumentTabs::kHelpTabKey));
            EXPECT_TRUE(WaitUntil([&] { return window.helpBrowser().EngineStarted(); }, 2500));
        }
    }
}

}  // namespace
