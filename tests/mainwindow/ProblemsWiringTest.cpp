// The checker's findings on the real main window: marked in the document as
// typing pauses, explained under the resting mouse, listed with the last
// build's error in the Problems tab, counted in the status bar, and switched
// off in the settings.
#include "panes/LiveCheck.h"
#include "panes/ProblemsPane.h"
#include "documents/RecoveryKeeper.h"
#include "editor/EditorTestSupport.h"
#include "language/Program.h"
#include "mainwindow/BottomPanel.h"
#include "startup/SettingsDialog.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolTip>
#include <QTreeView>

namespace {

class ProblemsWiring : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(Activate());
        main = dir.write("game/Main.bb", "Include \"Lib.bb\"\r\nGlobal score = Bonus(2)\r\nPrint Missing(1)\r\n");
        lib = dir.write("game/Lib.bb", "Function Bonus(n)\r\n\tReturn n * Undefined()\r\nEnd Function\r\n");
    }

    // Each row as "file:line:message", the build's marked with a "!".
    QStringList Listed() const
    {
        QStringList rows;
        for (int i = 0; i < window->problems().RowCount(); ++i) {
            const ProblemRow& r = window->problems().Row(i);
            rows << QStringLiteral("%1%2:%3:%4").arg(r.fromBuild ? "!" : "", r.title).arg(r.line).arg(r.message);
        }
        return rows;
    }
    bool ListedSoon(const QStringList& rows)
    {
        const bool same = WaitUntil([&] { return Listed() == rows; }, 5000);
        EXPECT_EQ(Listed(), rows);
        return same;
    }
    QString Count() const { return Child<QLabel>(*window, "ProblemsPanel")->text(); }
    // The middle of a line's first character after `column`, on the editor's text area.
    QPoint OnText(int line, int column) const
    {
        return editorArea()->mapFrom(&editor(), CharCentre(editor(), line, column));
    }
    // The tooltip once the mouse rested there; "" for none after five times the rest.
    QString TipAt(QPoint at) const
    {
        QToolTip::hideText();
        WaitUntil([] { return !QToolTip::isVisible(); }, 3000);
        QTest::mouseMove(editorArea(), at - QPoint(0, 3));
        QTest::mouseMove(editorArea(), at);
        WaitUntil([] { return QToolTip::isVisible(); }, 2500);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    QString main, lib;
    const QString missing = "Function 'missing' not found";
    const QString undefined = "Function 'undefined' not found";
};

TEST_F(ProblemsWiring, TheProgramsProblemsAreMarkedExplainedListedAndGoneWithTheirFix)
{
    docs().OpenDoc(main);
    ASSERT_TRUE(ListedSoon({"Main.bb:3:" + missing, "Lib.bb:2:" + undefined}));
    EXPECT_EQ(Count(), app->labels.getValue("problemcount").replace("#count#", "2"));
    // The squiggle goes under the statement, as far as the checker tells.
    const std::vector<EditorDiagnostic> marks = editor().DiagnosticMarks();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(marks[0].Line == 3 && marks[0].Column <= 6 && marks[0].EndColumn >= 13 && marks[0].Message == missing)
        << marks[0].Line << ":" << marks[0].Column << "-" << marks[0].EndColumn;
    EXPECT_TRUE(editor().HasDiagnosticSymbol(3));
    // The message where the mouse rests, on the squiggle and on its symbol.
    EXPECT_EQ(TipAt(OnText(3, 9)), missing);
    EXPECT_EQ(TipAt({3, OnText(3, 0).y()}), missing);
    EXPECT_EQ(TipAt(OnText(2, 2)), "");

    // A click on a problem of a file not open opens it there, with its own marks.
    auto* list = Child<QTreeView>(*window, "ProblemsList");
    window->bottomPanel().ShowTab(BottomPanel::ProblemsTab);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 2)).center());
    ASSERT_EQ(current().FilePath, lib);
    EXPECT_EQ(editor().Selection().StartLine, 1);
    EXPECT_TRUE(WaitUntil([&] { return editor().DiagnosticMarks().size() == 1; }, 5000));
    EXPECT_EQ(editor().DiagnosticMarks().at(0).Message, undefined);

    // Coming back to a document lists and marks its program's problems as
    // they are now, also when another document of its program changed them
    // meanwhile.
    const QString mainKey = docs().Docs().at(0)->Key, libKey = current().Key;
    docs().OpenDoc(dir.write("tool/Tool.bb", "Print Gone(1)\r\n"));
    const QString toolKey = current().Key;
    const QStringList tool = {"Tool.bb:1:Function 'gone' not found"};
    ASSERT_TRUE(ListedSoon(tool));
    for (const QString& key : {mainKey, toolKey, mainKey, libKey}) {
        ClickTab(key);
        ListedSoon(key == toolKey ? tool : QStringList{"Main.bb:3:" + missing, "Lib.bb:2:" + undefined});
        EXPECT_TRUE(WaitUntil([&] { return editor().DiagnosticMarks().size() == 1; }, 5000));
    }

    // Fixed by typing, each goes as typing pauses.
    editor().SetSelection({true, 12, 1, 23, 1});
    Type("1");
    ASSERT_TRUE(ListedSoon({"Main.bb:3:" + missing}));
    EXPECT_TRUE(editor().DiagnosticMarks().empty());
    EXPECT_FALSE(editor().HasDiagnosticSymbol(2));
    for (const QString& key : {toolKey, mainKey, toolKey, libKey}) {
        ClickTab(key);
        ListedSoon(key == toolKey ? tool : QStringList{"Main.bb:3:" + missing});
        const std::size_t marks = key == libKey ? 0 : 1;
        EXPECT_TRUE(WaitUntil([&] { return editor().DiagnosticMarks().size() == marks; }, 5000));
    }
    ClickTab(mainKey);
    editor().SetCaret(0, 3);
    Type(";");
    ASSERT_TRUE(ListedSoon({}));
    EXPECT_EQ(Count(), app->labels.getValue("noproblems"));
    EXPECT_FALSE(editor().HasDiagnosticSymbol(3));
}

// The build's error that the checker finds too is listed once, as the
// build's; it is listed only with its own program, it stays while live
// checking is off, and it and the build's outcome go once an edit of its file
// leaves them behind or the next build ends.
TEST_F(ProblemsWiring, TheBuildsErrorIsListedOnceAndOnlyWhileItApplies)
{
    FakeCompiler("printf \"\\\"%s\\\":3:7:3:7:Function 'missing' not found\\r\\n\" \"" + main.toStdString() +
                 "\"\nexit 255\n");
    docs().OpenDoc(main);
    const QString mainKey = current().Key;
    const QStringList checked = {"Main.bb:3:" + missing, "Lib.bb:2:" + undefined};
    const QStringList built = {"!Main.bb:3:" + missing, "Lib.bb:2:" + undefined};
    ASSERT_TRUE(ListedSoon(checked));
    const auto compile = [&](const QStringList& listed) {
        window->menus().button("btCompile")->trigger();
        ASSERT_TRUE(BuildFinished());
        ListedSoon(listed);
    };
    compile(built);
    EXPECT_EQ(Count(), app->labels.getValue("problemcount").replace("#count#", "2"));
    const QString status = window->InfoPanel();
    EXPECT_TRUE(status.contains(missing)) << status.toStdString();
    editor().SetCaret(0, 1);
    Type("\n");
    ListedSoon({"Main.bb:4:" + missing, "Lib.bb:2:" + undefined});
    EXPECT_EQ(window->bottomPanel().Summary(), "");
    EXPECT_NE(window->InfoPanel(), status);

    Key(Qt::Key_Backspace);
    ListedSoon(checked);
    compile(built);
    docs().OpenDoc(dir.write("tool/Tool.bb", "Print 1\r\n"));
    ListedSoon({});
    ClickTab(mainKey);
    ListedSoon(built);

    // Off in the settings: no marks, only the build's error, and so after a restart.
    auto liveCheck = [&](bool on) {
        SaveSettings([on](SettingsDialog& d) { Child<QCheckBox>(d, "chkLiveCheck")->setChecked(on); });
    };
    liveCheck(false);
    ListedSoon({built[0]});
    EXPECT_TRUE(editor().DiagnosticMarks().empty());
    EXPECT_FALSE(editor().HasDiagnosticSymbol(3));
    Restart({main});
    ASSERT_TRUE(Activate());
    ASSERT_TRUE(WaitUntil([&] { return docs().CurrentDoc(); }, 5000));
    Pump(200);
    EXPECT_EQ(Listed(), QStringList());
    EXPECT_TRUE(editor().DiagnosticMarks().empty());
    liveCheck(true);
    ASSERT_TRUE(ListedSoon(checked));
    // One the checker does not find is listed beside the checker's.
    FakeCompiler("printf '\"%s\":2:15:2:15:Expecting expression\\r\\n' \"" + main.toStdString() + "\"\nexit 255\n");
    compile(QStringList{"!Main.bb:2:Expecting expression"} + checked);
    FakeCompiler("printf 'Executing...\\r\\n'\n");
    compile(checked);
}

// A warning is listed and marked apart from the errors and counted on its
// own; Ctrl+. puts the name it proposes in place, and its kind can be off.
TEST_F(ProblemsWiring, AWarningProposesANameThatCtrlDotPutsInPlace)
{
    const QString game = dir.write("quick/Main.bb", "score = 10\r\nPrint scroe\r\nPrint hp\r\n");
    docs().OpenDoc(game);
    const QString scroe = "Variable 'scroe' is read but never assigned; did you mean 'score'?";
    const QString hp = "Variable 'hp' is read but never assigned";
    ASSERT_TRUE(ListedSoon({"Main.bb:2:" + scroe, "Main.bb:3:" + hp}));
    EXPECT_TRUE(window->problems().Row(0).warning);
    EXPECT_EQ(Count(), app->labels.getValue("warningcount").replace("#count#", "2"));
    ASSERT_TRUE(WaitUntil([&] { return editor().DiagnosticMarks().size() == 2; }, 5000));
    EXPECT_TRUE(editor().DiagnosticMarks().at(0).Warning);
    EXPECT_FALSE(editor().HasDiagnosticSymbol(2));

    editor().SetCaret(8, 2);
    QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_Period));
    const std::string fixed = editor().Text().toStdString();
    EXPECT_TRUE(fixed.starts_with("score = 10\r\nPrint score\r\nPrint hp")) << fixed;
    ASSERT_TRUE(ListedSoon({"Main.bb:3:" + hp}));
    // Nothing to propose: the key leaves the text alone.
    editor().SetCaret(7, 3);
    QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_Period));
    EXPECT_EQ(editor().Text().toStdString(), fixed);

    SaveSettings([](SettingsDialog& d) { Child<QCheckBox>(d, "chkWarnNeverAssigned")->setChecked(false); });
    ListedSoon({});
}

// The install's own `+k` list is what the program is checked against, and
// the settings page says so; a compiler that gives none leaves the shipped
// list in use, and the page says why.
TEST_F(ProblemsWiring, TheCompilersOwnCommandListIsUsedWhereItCanBeRead)
{
    const QString game = dir.write("plusk/Main.bb", "FancyBeep 3\r\nx = NetGo(80) + 1\r\n");
    const auto commandsFrom = [&] {
        QString text;
        OnModal<SettingsDialog>([&text](SettingsDialog& d) {
            text = Child<QLabel>(d, "lbCommandsFrom")->text();
            Child(d, "cmdDiscard")->click();
        });
        window->menus().item("mnuPrefs")->trigger();
        return text;
    };
    FakeCompiler("[ \"$1\" = \"+k\" ] || exit 1\n"
                 "for k in Abs After And Before Case Const Data Default Delete Dim Each Else Function If Next; do\n"
                 "  printf '%s\\r\\n' \"$k\"\ndone\n"
                 "printf 'Print [string$]\\r\\nFancyBeep times\\r\\nNetGo%% ( port%% )\\r\\n'\n");
    Restart({game});
    ASSERT_TRUE(Activate());
    ASSERT_TRUE(ListedSoon({}));
    EXPECT_EQ(commandsFrom(), app->labels.getValue("commandsfromcompiler"));

    FakeCompiler("echo 'Unable to open linker.dll'\nexit 255\n");
    Restart({game});
    ASSERT_TRUE(Activate());
    ASSERT_TRUE(ListedSoon({"Main.bb:1:Function 'fancybeep' not found", "Main.bb:2:Function 'netgo' not found"}));
    EXPECT_EQ(commandsFrom(),
              app->labels.getValue("commandsfromfailed").replace("#reason#", "Unable to open linker.dll"));
}

// Nesting deeper than any walk over it can take is a problem of the
// program, never a crash: in a file included, in a document opened, and in
// a recovery copy restored at the next start.
TEST_F(ProblemsWiring, TooDeeplyNestedExpressionsAreListedNotCrashed)
{
    const auto repeat = [](const char* s, int n) { return QByteArray(s).repeated(n); };
    const QByteArray shapes[] = {"x = " + repeat("f(", 15400) + "1" + repeat(")", 15400),
                                 "x = " + repeat("(", 27700) + "1" + repeat(")", 27700), "x = 1" + repeat("+1", 86999)};
    QStringList files, rows;
    for (int i = 0; i < 3; ++i) {
        files << dir.write(QStringLiteral("deep/Deep%1.bb").arg(i), shapes[i].toStdString());
        rows << QStringLiteral("Deep%1.bb:1:Expression too deeply nested").arg(i);
    }
    docs().OpenDoc(dir.write("deep/Main.bb", "Include \"Deep0.bb\"\r\nInclude \"Deep1.bb\"\r\nInclude \"Deep2.bb\"\r\n"));
    ASSERT_TRUE(ListedSoon(rows));
    for (const QString& file : files)
        docs().OpenDoc(file);
    ASSERT_TRUE(ListedSoon(rows));

    editor().SetCaret(int(shapes[2].size()), 0);
    Type(" ; mine");
    window->recovery().KeepForNextStart();
    Close();
    prompter.answers = {MsgAnswer::Yes};
    Launch();
    ASSERT_TRUE(Activate());
    ASSERT_EQ(docs().Docs().size(), 1);
    EXPECT_TRUE(current().Modified);
    ListedSoon(rows);
}

}  // namespace

// A pause changes only the rows and marks whose problems changed or moved;
// what it shows is what listing every problem anew shows.
TEST_F(ProblemsWiring, APauseShowsWhatListingAnewShows)
{
    std::string text = "Global unset\r\n";
    for (int i = 1; i < 120; ++i)
        text += i % 4 == 0 ? "Print Missing(" + std::to_string(i) + ")\r\n"
                : i % 7 == 0 ? "Print unset\r\n"
                             : "Print " + std::to_string(i) + "\r\n";
    // An include's problems are listed but not marked.
    text += "Include \"Lib.bb\"\r\n";
    dir.write("many/Lib.bb", "Print Missing(0)\r\nPrint unset\r\n");
    const auto shown = [this] {
        QStringList all{Count()};
        for (int i = 0; i < window->problems().RowCount(); ++i) {
            const ProblemRow& r = window->problems().Row(i);
            all << QStringLiteral("%1:%2:%3:%4:%5").arg(r.title).arg(r.line).arg(r.column).arg(r.warning).arg(r.message);
        }
        for (const EditorDiagnostic& d : editor().DiagnosticMarks())
            all << QStringLiteral("mark %1:%2-%3:%4:%5").arg(d.Line).arg(d.Column).arg(d.EndColumn).arg(d.Warning).arg(d.Message);
        return all;
    };
    // Where the caret goes (line from 1, column) and what is typed there.
    const struct {
        int line, column;
        const char* keys;
    } edits[] = {
        {1, 0, "Function Missing(n)\rEnd Function\r"},  // the file's and the include's problems go
        {1, 0, "x"},                                   // and come back, with new ones
        {10, 0, "x"},                                  // a problem's text changes
        {10, 0, "\b"},                                 // and back
        {5, 0, "\r"},                                  // every problem below moves down
        {5, 0, "\b"},                                  // and up
        {12, 6, "Missing"},                            // a problem comes
        {31, 0, "Print Gone()\r"},                     // a problem comes, those below move
        {52, 6, "fresh : Print "},                     // a warning comes
        {42, 0, "Function f()\r"},                     // the rest of the file is the function's
        {4, 0, "unset = 1\r"},                         // the warnings go
    };
    // Every warning shown, or one kind left out.
    for (const unsigned warnings : {~0u, ~0u ^ (1u << unsigned(lang::WarningKind::NeverAssigned))}) {
        docs().OpenDoc(dir.write(QStringLiteral("many/Many%1.bb").arg(warnings), text));
        window->liveCheck().SetWarnings(warnings);
        window->liveCheck().Refresh();
        for (const auto& edit : edits) {
            SCOPED_TRACE(edit.keys);
            editor().SetCaret(edit.column, edit.line - 1);
            for (const char c : std::string_view(edit.keys)) {
                if (c == '\b')
                    Key(Qt::Key_Backspace);
                else
                    Type(QString(QChar(c == '\r' ? '\n' : c)));
            }
            window->liveCheck().Refresh();
            const QStringList patched = shown();
            // Another choice of warnings and back lists every problem anew.
            window->liveCheck().SetWarnings(0);
            window->liveCheck().SetWarnings(warnings);
            EXPECT_EQ(patched, shown());
        }
    }
}
