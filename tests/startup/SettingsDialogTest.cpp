#include "editor/EditorTestSupport.h"
#include "platform/IniFile.h"
#include "startup/Preferences.h"
#include "startup/SettingsDialog.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <tuple>

namespace {

const QString kNotAnInteger = QStringLiteral("This property must be an Integer value >0");

// Replaces the box's text in one user edit, as pasting over a selection
// does (typing it key by key would be checked after every key).
void TypeInto(QLineEdit* box, const QString& text)
{
    box->selectAll();
    QTest::sendKeyEvent(QTest::Click, box, text.isEmpty() ? Qt::Key_Delete : Qt::Key_unknown, text, {});
}

// The started program on a directory whose prefs.ini carries lines the
// dialog does not own.
class SettingsDialogTest : public AppFixture {
protected:
    void SetUp() override
    {
        dir.write("prefs.ini", "; my own notes\r\n" + ShippedResource("prefs.ini") + "\r\n[MINE]\r\nKeep=this\r\n");
        dir.setPref("PATHS", "B3DDir", dir.blitzDir());
        dir.setPref("PATHS", "Favourite", "kept too");
        AppFixture::SetUp();
    }

    std::unique_ptr<SettingsDialog> Open()
    {
        auto d = std::make_unique<SettingsDialog>(*app, [this] {
            ++applied;
            // By the time the owner applies them, the settings are stored.
            appliedSettings = app->settings;
            appliedFile = dir.read("prefs.ini");
        });
        d->show();
        return d;
    }

    std::string Prefs() const { return dir.read("prefs.ini"); }
    std::string Pref(const char* section, const char* key) const
    {
        return IniFile(Prefs()).Get(section, key, "<missing>");
    }

    int applied = 0;
    Settings appliedSettings;
    std::string appliedFile;
};

// A refused save takes nothing, not even the paths: a rejected Blitz3D
// folder once reached the main window (at start-up:
// Startup.AsksForTheBlitzFolderThenTheFontUntilGiven).
TEST_F(SettingsDialogTest, ARefusedSaveOrALeftDialogChangesNothing)
{
    using Step = std::function<void(SettingsDialog&)>;
    const Step save = [](SettingsDialog& d) { Child(d, "cmdSave")->click(); };
    const Step elsewhere = [](SettingsDialog& d) { Child<QLineEdit>(d, "txtB3DDir")->setText("/elsewhere"); };
    const struct {
        const char* name;
        Step edit, leave;
        QString message;      // none: the dialog was left; ending in a line end: the reason follows
        const char* focused;  // the box to correct, on the first page
    } rows[] = {
        {"empty folder", [](SettingsDialog& d) { Child<QLineEdit>(d, "txtB3DDir")->clear(); }, save,
         app->labels.getValue("blitzdirnotfound"), "txtB3DDir"},
        {"folder without the compiler", elsewhere, save, app->labels.getValue("blitzdirnotfound"), "txtB3DDir"},
        {"missing command list",
         [](SettingsDialog& d) { Child<QLineEdit>(d, "txtCommandPath")->setText("nowhere/commands.txt"); }, save,
         app->labels.getValue("commandsnotfound"), "txtCommandPath"},
        // A folder where prefs.ini should be: it cannot be replaced.
        {"prefs.ini not writable",
         [&](SettingsDialog&) {
             QFile::remove(dir.file("prefs.ini"));
             QDir().mkpath(dir.file("prefs.ini"));
         },
         save, "Unable to save the settings to " + dir.file("prefs.ini") + ":\n", nullptr},
        {"Discard", elsewhere, [](SettingsDialog& d) { Child(d, "cmdDiscard")->click(); }, "", nullptr},
        {"Escape", elsewhere, [](SettingsDialog& d) { QTest::keyClick(Child<QLineEdit>(d, "txtCommandPath"), Qt::Key_Escape); },
         "", nullptr},
        {"close", elsewhere, [](SettingsDialog& d) { d.close(); }, "", nullptr},
    };
    for (const auto& row : rows) {
        const Settings before = app->settings;
        prompter.shown.clear();
        auto d = Open();
        TypeInto(Child<QLineEdit>(*d, "txttabSize"), "7");
        dialogs.fonts = {FontChoice{"Liberation Mono", 14}};
        Child(*d, "Command4")->click();
        dialogs.colors = {Rgb(1, 2, 3)};
        QTest::mouseDClick(Child<QWidget>(*d, "ColorBox3"), Qt::LeftButton);
        Child<QTabWidget>(*d, "TabStrip1")->setCurrentIndex(2);
        row.edit(*d);
        const std::string file = Prefs();
        row.leave(*d);

        SCOPED_TRACE(row.name);
        // A refused save says why, once, and stays open; leaving says nothing.
        EXPECT_EQ(d->isVisible(), !row.message.isEmpty());
        EXPECT_EQ(d->result(), QDialog::Rejected);
        const QString shown = prompter.texts().join('|');
        EXPECT_TRUE(row.message.endsWith('\n') ? shown.startsWith(row.message) && shown.size() > row.message.size()
                                                : shown == row.message)
            << shown.toStdString();
        EXPECT_TRUE(row.message.isEmpty() || prompter.shown[0].icon == MsgIcon::Critical);
        if (row.focused) {
            EXPECT_EQ(d->currentPage(), 0);
            EXPECT_EQ(d->focusWidget(), Child<QLineEdit>(*d, row.focused));
        }

        EXPECT_EQ(app->settings, before);
        EXPECT_EQ(Prefs(), file);
        EXPECT_EQ(applied, 0);
        app->settings = before;
    }
}

TEST_F(SettingsDialogTest, SaveStoresEveryValueKeepsTheUsersLinesAndThenApplies)
{
    auto d = Open();
    EXPECT_EQ(Child<QLineEdit>(*d, "txtB3DDir")->text(), dir.blitzDir());
    // Relative, as prefs.ini has it, so a moved program folder reads its own.
    EXPECT_EQ(Child<QLineEdit>(*d, "txtCommandPath")->text(), "commands.txt");

    // Paths: the Blitz3D program's folder, and a relative command list.
    dialogs.files = {dir.blitzDir() + "/Blitz3D.exe", dir.file("commands.txt")};
    Child<QLineEdit>(*d, "txtB3DDir")->setText("/somewhere/else");
    // Enter on a chooser opens it; it does not save the dialog. The keyboard
    // goes back to the box the choice went into.
    for (const auto& [button, box, chosen] : {std::tuple{"Command1", "txtB3DDir", dir.blitzDir()},
                                              std::tuple{"Command2", "txtCommandPath", dir.file("commands.txt")}}) {
        Child(*d, button)->setFocus();
        QTest::keyClick(Child(*d, button), Qt::Key_Return);
        EXPECT_EQ(Child<QLineEdit>(*d, box)->text(), chosen);
        EXPECT_EQ(d->focusWidget(), Child<QLineEdit>(*d, box));
    }
    TypeInto(Child<QLineEdit>(*d, "txtCommandPath"), "commands.txt");

    // Any font is taken; the sample shows its name and size.
    dialogs.fonts = {FontChoice{"Liberation Serif", 13}};
    QTest::keyClick(Child(*d, "Command4"), Qt::Key_Return);
    EXPECT_EQ(Child<QLabel>(*d, "lbIdeFont")->text(), "Liberation Serif 13");

    TypeInto(Child<QLineEdit>(*d, "txttabSize"), "8");
    Child<QComboBox>(*d, "LineGutterCombo")->setCurrentIndex(1);
    TypeInto(Child<QLineEdit>(*d, "txtLGFixedSize"), "40");
    TypeInto(Child<QLineEdit>(*d, "txtMouseWheelScroll"), "5");
    ASSERT_TRUE(Child<QCheckBox>(*d, "chkLiveCheck")->isChecked());
    Child<QCheckBox>(*d, "chkLiveCheck")->click();

    // Every box, by mouse or keyboard, gets its own colour.
    const char* const keys[SettingsDialog::kColorBoxCount] = {
        "BackColor",      "TextColor",     "CaretColor",           "CommandsColor", "CommentsColor",
        "ErrorLineColor", "FunctionsColor", "HighlightedLineColor", "LabelsColor",   "NumbersColor",
        "OperatorsColor", "StringsColor",  "TypeVarsColor",        "ExtFunctionsColor", "VarsColor",
        "LineGutterBGColor", "LineGutterForeColor", "LineGutterCurrentLineColor"};
    for (int i = 0; i < SettingsDialog::kColorBoxCount; ++i) {
        dialogs.colors = {Rgb(i, 100 + i, 200 + i)};
        auto* box = Child<QWidget>(*d, QStringLiteral("ColorBox%1").arg(i));
        if (i % 3 == 0)
            QTest::mouseDClick(box, Qt::LeftButton);
        else
            QTest::keyClick(box, i % 3 == 1 ? Qt::Key_Return : Qt::Key_Space);
    }
    EXPECT_EQ(dialogs.requests.count("color"), SettingsDialog::kColorBoxCount);
    EXPECT_TRUE(d->isVisible()) << "Enter on a colour box chooses a colour, it does not save";
    EXPECT_EQ(applied, 0);

    // Enter in a text box saves.
    QTest::keyClick(Child<QLineEdit>(*d, "txttabSize"), Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.shown.empty()) << prompter.texts().join("|").toStdString();
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(appliedSettings, app->settings);
    EXPECT_EQ(appliedFile, Prefs());

    const std::string file = Prefs();
    for (const char* mine : {"; my own notes\r\n", "[MINE]\r\nKeep=this\r\n", "Favourite=kept too\r\n",
                             "[LANGUAGE]\r\nIndentMoreTokens=If Else"})
        EXPECT_NE(file.find(mine), std::string::npos) << mine;
    for (int i = 0; i < SettingsDialog::kColorBoxCount; ++i)
        EXPECT_EQ(Pref("IDECOLORS", keys[i]), ColorToString(Rgb(i, 100 + i, 200 + i)).toStdString()) << keys[i];
    using Stored = std::tuple<const char*, const char*, std::string>;
    for (const auto& [section, key, value] :
         {Stored{"PATHS", "B3DDir", dir.blitzDir().toStdString()},
          {"PATHS", "Commands", "commands.txt"},
          {"IDECOLORS", "ObjectVarsColor", "0,110,110"}, {"IDEFONT", "FontName", "Liberation Serif"},
          {"IDEFONT", "FontSize", "13"}, {"IDEOPTS", "TabSize", "8"}, {"IDEOPTS", "LineGutterMode", "1"},
          {"IDEOPTS", "ScrollLines", "5"}, {"IDEOPTS", "LiveCheck", "False"}})
        EXPECT_EQ(Pref(section, key), value) << key;

    // What is in memory is what the next start reads, plus the fixed gutter
    // width, which lives only while the program runs.
    Settings reread;
    ASSERT_TRUE(LoadSettings(Layout::Portable(dir.path()), reread, app->labels, prompter));
    EXPECT_EQ(app->settings.LineGutterFixedSize, 40);
    reread.LineGutterFixedSize = 40;
    EXPECT_EQ(reread, app->settings);
}

TEST_F(SettingsDialogTest, TheBlitzChooserFillsInTheInstallationWhateverIsPickedInIt)
{
    const QString root = dir.blitzDir();
    const QString elsewhere = dir.file("Elsewhere");
    const struct {
        QString picked, filled;
    } rows[] = {
        {dir.write("Blitz3D/Blitz3D.exe", ""), root},
        {root + "/bin/blitzcc.exe", root},
        {root, root},
        {root + "/bin", root},
        // Not an installation: its own folder, which a save then refuses.
        {dir.write("Elsewhere/Blitz3D.exe", ""), elsewhere},
    };
    auto d = Open();
    for (const auto& row : rows) {
        dialogs.files = {row.picked};
        Child(*d, "Command1")->click();
        EXPECT_EQ(Child<QLineEdit>(*d, "txtB3DDir")->text().toStdString(), row.filled.toStdString())
            << row.picked.toStdString();
    }
    // The chooser takes the installation and its folders as they are, and
    // enters any other.
    const auto& acceptFolder = dialogs.lastOpen.acceptFolder;
    ASSERT_TRUE(acceptFolder);
    EXPECT_TRUE(acceptFolder(root) && acceptFolder(root + "/bin"));
    EXPECT_FALSE(acceptFolder(elsewhere) || acceptFolder(dir.path()));
}

TEST_F(SettingsDialogTest, NumericBoxesAndTheFontRefuseWhatTheirSettingCannotHold)
{
    app->settings.LineGutterFixedSize = 25;
    app->settings.FontSize = 9999;
    const std::string stored = Prefs();
    auto d = Open();
    const QString tooBig16 = "This number does not fit this property: it takes Integer values from -32768 to 32767";
    const struct {
        const char* box;
        QString typed;
        QString message;  // empty: none
        QString after;
    } rows[] = {
        {"txttabSize", "", kNotAnInteger, "4"}, {"txttabSize", "two", kNotAnInteger, "4"},  // the stored one back
        {"txttabSize", "0", kNotAnInteger, "0"}, {"txttabSize", "-2", kNotAnInteger, "-2"},  // said, kept to correct
        {"txttabSize", "40000", tooBig16, "4"},  {"txttabSize", "6", "", "6"},
        {"txtLGFixedSize", "", kNotAnInteger, "25"}, {"txtLGFixedSize", "0", "", "0"},
        {"txtLGFixedSize", "99999999999",
         "This number does not fit this property: it takes Integer values from -2147483648 to 2147483647", "25"},
        {"txtMouseWheelScroll", "lots", kNotAnInteger, "3"}, {"txtMouseWheelScroll", "70000", tooBig16, "3"},
        {"txtMouseWheelScroll", "12", "", "12"},
        {"txttabSize", "0", kNotAnInteger, "0"},  // and stored as it is
    };
    for (const auto& row : rows) {
        prompter.shown.clear();
        auto* box = Child<QLineEdit>(*d, row.box);
        TypeInto(box, row.typed);
        SCOPED_TRACE((QString(row.box) + " '" + row.typed + "'").toStdString());
        EXPECT_EQ(prompter.told(), row.message.isEmpty() ? QStringList() : QStringList{"Critical: " + row.message});
        EXPECT_EQ(box->text(), row.after);
    }
    // Only a font size the editor can use is taken, from the file or the
    // chooser; a refused save shows the font's page.
    prompter.shown.clear();
    Child(*d, "cmdSave")->click();
    const QString refused = "The editor cannot use a font of size %1: choose a size from 4 to 72.";
    EXPECT_EQ(prompter.texts(), QStringList{refused.arg(9999)});
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->currentPage(), 1);
    EXPECT_EQ(Prefs(), stored);
    prompter.shown.clear();
    dialogs.fonts = {FontChoice{"Liberation Mono", 100}, FontChoice{"Liberation Mono", 12}};
    Child(*d, "Command4")->click();
    EXPECT_EQ(prompter.texts(), QStringList{refused.arg(100)});
    Child(*d, "Command4")->click();
    prompter.shown.clear();
    Child(*d, "cmdSave")->click();
    EXPECT_TRUE(prompter.shown.empty()) << prompter.texts().join("|").toStdString();
    EXPECT_EQ(app->settings.ScrollLines, 12);
    EXPECT_EQ(Pref("IDEOPTS", "TabSize"), "0");
    EXPECT_EQ(Pref("IDEFONT", "FontSize"), "12");
}

// With the main window up, a save restyles every open document at once (a
// discard changes nothing: OnlyASaveThatPassesStoresMoreThanThePaths).
TEST_F(SettingsDialogTest, OpenedFromTheWindowASaveRestylesEveryDocument)
{
    docs().OpenDoc(dir.write("a.bb", "Print MMMMMMMMMM\r\nMMMMMMMMMM ; note\r\n"));
    docs().OpenDoc(dir.write("b.bb", "Print 1\r\n"));
    // The dialog runs modally over the main window.
    OnModal<SettingsDialog>([this](SettingsDialog& d) {
        EXPECT_EQ(d.parentWidget(), window);
        dialogs.fonts = {FontChoice{"DejaVu Sans Mono", 22}};
        Child(d, "Command4")->click();
        dialogs.colors = {Rgb(200, 10, 20)};
        QTest::mouseDClick(Child<QWidget>(d, "ColorBox3"), Qt::LeftButton);  // commands
        Child(d, "cmdSave")->click();
    });
    Command("mnuPrefs");
    FinishColouring(editor());
    EXPECT_EQ(editor().TextColourAt(1, 0), Rgb(200, 10, 20));

    docs().ShowDoc(*docs().Docs()[0]);
    FinishColouring(editor());
    EXPECT_EQ(editor().TextColourAt(1, 0), Rgb(200, 10, 20));
    // Ten characters wide and one line tall, drawn in the chosen font.
    editor().SetCaret(0, 1);
    const QPoint start = editor().CaretPoint();
    editor().SetCaret(10, 2);
    const QPoint end = editor().CaretPoint();
    const QFontMetricsF chosen(QFont("DejaVu Sans Mono", 22));
    EXPECT_NEAR(end.x() - start.x(), chosen.horizontalAdvance(QString(10, u'M')), 3);
    EXPECT_NEAR(end.y() - start.y(), chosen.height(), 3);
}

TEST_F(SettingsDialogTest, EveryPageFitsASmallScreenTabsInReadingOrderAndShowsWhatApplies)
{
    app->settings.LineGutterMode = 1;
    auto d = Open();
    auto* pages = Child<QTabWidget>(*d, "TabStrip1");
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        const QSize size = d->sizeHint().expandedTo(d->minimumSizeHint());
        EXPECT_LE(size.width(), 1024) << i;
        EXPECT_LE(size.height(), 768 - 60) << i;  // room for a panel and the title bar
    }
    pages->setCurrentIndex(0);
    QWidget* w = Child<QLineEdit>(*d, "txtB3DDir");
    w->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (!(w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)))
            w = w->nextInFocusChain();
    }
    EXPECT_EQ(order, QStringList({"txtB3DDir", "Command1", "txtCommandPath", "Command2", "cmdSave", "cmdDiscard"}));

    // The fixed width box shows only for the fixed gutter.
    auto* combo = Child<QComboBox>(*d, "LineGutterCombo");
    pages->setCurrentIndex(1);
    EXPECT_EQ(combo->currentIndex(), 1);
    for (int chosen : {1, 0, 1, 2}) {
        combo->setCurrentIndex(chosen);
        EXPECT_EQ(Child<QLineEdit>(*d, "txtLGFixedSize")->isVisible(), chosen == 1) << chosen;
        EXPECT_EQ(Child<QLabel>(*d, "lbfixedsize")->isVisible(), chosen == 1) << chosen;
    }
}

}  // namespace
