// The debugger in the real main window, with a compiler whose "program"
// speaks the debugger's protocol from a shell script: keys in, commands on
// the wire, the stop shown where it is.
#include "panes/ProblemsPane.h"
#include "debugger/DebugController.h"
#include "debugger/DebugPanes.h"
#include "debugger/VariablesPane.h"
#include "debugger/wire/StopRules.h"
#include "mainwindow/BottomPanel.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QTreeWidget>

namespace {

std::string WireKey(const QString& path)
{
    return wire::FileKey(path.toStdString());
}

class DebuggerWiring : public AppFixture {
protected:
    // The compiler runs a program that greets with the secret, writes every
    // command it gets to the file "commands", and sends the next of
    // `replies` once the run starts and after each command.
    void FakeProgram(const std::vector<std::string>& replies, const std::string& before = {})
    {
        const std::string log = dir.file("commands").toStdString();
        // Requests for variables get an empty answer and are no commands; the
        // first is preceded by `$first` when `before` sets it.
        std::string script = "#!/bin/bash\n" + before +
                             "exec 3<>/dev/tcp/127.0.0.1/$OVREL_DEBUG_PORT || exit 1\n"
                             "next() { while IFS= read -r -u 3 c; do case \"$c\" in\n"
                             "  vars*) r=${c#vars$'\\t'}; printf '%s' \"$first\" >&3; first=\n"
                             "    printf 'vars\\t%s\\t0\\n' \"${r%%$'\\t'*}\" >&3;;\n"
                             "  *) printf '%s\\n' \"$c\" >> '" + log + "'; [ -n \"$1\" ] && [ \"$c\" != \"$1\" ] && continue; return;;\n"
                             "esac; done; }\n"
                             "printf 'hello\\t%s\\t1\\n' \"$OVREL_DEBUG_SECRET\" >&3\nnext start\n";
        for (std::size_t i = 0; i < replies.size(); ++i) {
            script += "printf '%s' '" + replies[i] + "' >&3\n";
            if (i + 1 < replies.size())
                script += "next\n";
        }
        const QString compiler = dir.write("Blitz3D/bin/blitzcc.exe", script);
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
    }
    QStringList Commands() const
    {
        return QString::fromStdString(ReadFileBytes(dir.file("commands"))).split('\n', Qt::SkipEmptyParts);
    }
    DebugController& debugger() const { return window->debugger(); }
    bool Enabled(const char* button) const { return window->menus().button(button)->isEnabled(); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window, key, modifiers);
    }
    bool Halted() const
    {
        return WaitUntil([&] { return debugger().session().Halted(); });
    }
    QString LogText() const { return debugger().logPane().toPlainText(); }
    QString Label(const char* key) const { return app->labels.getValue(QString::fromLatin1(key)); }
};

// The breakpoints set with F9 and in the margin reach the program, move with
// their lines and are kept.
TEST_F(DebuggerWiring, AStopInAnIncludeIsShownAndTheStepKeysSendTheirCommands)
{
    const QString inc = dir.write("game/Inc.bb", "Function Twice(n)\r\n\tReturn n * 2\r\nEnd Function\r\n");
    const QString main = dir.write("game/main.bb",
                                   "Include \"Inc.bb\"\r\nDebugLog \"x\"\r\nFor i = 1 To 3\r\n\tx = Twice(i)\r\nNext\r\n");
    const std::string in = "twice\t" + WireKey(inc) + "\t2\t2\t";
    const std::string top = "<main program>\t" + WireKey(main);
    FakeProgram({"log\tfirst\nlog\tsecond\nstopped\tbreakpoint\t2\t" + in + top + "\t4\t2\n",
                 "stopped\tstep\t1\t" + top + "\t5\t1\n", "stopped\tstep\t2\t" + in + top + "\t4\t2\n",
                 "stopped\tstep\t1\t" + top + "\t5\t1\n", "ended\tProgram has ended\n"});
    docs().OpenDoc(main);
    ASSERT_TRUE(Activate());
    // F9 takes a breakpoint away again.
    editor().SetCaret(0, 4);
    Press(Qt::Key_F9);
    Press(Qt::Key_F9);
    EXPECT_FALSE(editor().HasBreakpoint(4));
    Press(Qt::Key_F9);
    const QRect line2 = editor().SpanRect({18, 19});
    QTest::mouseClick(editorArea(), Qt::LeftButton, {},
                      editorArea()->mapFrom(&editor(), QPoint(editor().BreakpointMarginCentre(), line2.center().y())));
    EXPECT_EQ(editor().BufferBreakpoints(*current().EditorState), (std::vector<int>{2, 4}));

    Press(Qt::Key_F5);
    ASSERT_TRUE(Halted()) << LogText().toStdString();
    EXPECT_EQ(current().FilePath, inc);
    EXPECT_EQ(editor().ExecutionLine(), 2);
    EXPECT_EQ(window->InfoPanel(), "Stopped at Inc.bb:2");
    EXPECT_EQ(debugger().stackPane().topLevelItemCount(), 2);
    EXPECT_EQ(debugger().stackPane().topLevelItem(1)->text(1), "main.bb");
    EXPECT_TRUE(LogText().endsWith("first\nsecond")) << LogText().toStdString();
    EXPECT_EQ(window->bottomPanel().CurrentTab(), BottomPanel::VariablesTab);
    EXPECT_TRUE(Enabled("btContinue") && Enabled("btStepOver") && Enabled("btStepOut"));
    EXPECT_FALSE(Enabled("btBreak") || Enabled("btCompile"));

    // A click on the caller's frame shows its line; the arrow stays where
    // the program is.
    QTreeWidget& stack = debugger().stackPane();
    QTest::mouseClick(stack.viewport(), Qt::LeftButton, {}, stack.visualItemRect(stack.topLevelItem(1)).center());
    EXPECT_EQ(Where(), "main.bb:4:0");
    EXPECT_EQ(editor().ExecutionLine(), 0);

    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* file;
        int line;
    };
    const Step steps[] = {{Qt::Key_F10, {}, "main.bb", 5},
                          {Qt::Key_F11, {}, "Inc.bb", 2},
                          {Qt::Key_F11, Qt::ShiftModifier, "main.bb", 5}};
    for (const Step& step : steps) {
        Press(step.key, step.modifiers);
        ASSERT_TRUE(WaitUntil([&] { return debugger().session().Halted() && current().FileTitle == step.file; }))
            << step.file;
        EXPECT_EQ(editor().ExecutionLine(), step.line) << step.file;
    }
    Press(Qt::Key_F5);
    ASSERT_TRUE(BuildFinished());
    EXPECT_EQ(debugger().session().State(), DebugState::Idle);
    EXPECT_EQ(editor().ExecutionLine(), 0);
    EXPECT_EQ(window->InfoPanel(), Label("debugended"));
    const QString breakAt = QString::fromStdString("break\t" + WireKey(main) + "\t%1\t1");
    EXPECT_EQ(Commands(), QStringList({breakAt.arg(2), breakAt.arg(4), "start", "over", "into", "out", "run"}));

    // They move with their lines and are kept.
    editor().SetCaret(0, 1);
    Key(Qt::Key_Return);
    Command("mnuSaveBBFile");
    EXPECT_EQ(editor().BufferBreakpoints(*current().EditorState), (std::vector<int>{3, 5}));
    Restart({main});
    ASSERT_TRUE(WaitUntil([&] { return docs().CurrentDoc() && current().FilePath == main; }));
    EXPECT_EQ(editor().BufferBreakpoints(*current().EditorState), (std::vector<int>{3, 5}));
}

TEST_F(DebuggerWiring, ARuntimeErrorIsShownAtItsStatementAndTheProgramEndsWhenTheUserSays)
{
    const QString main = dir.write("err.bb", "Dim a(5)\r\nx = 3\r\nPrint a(x * 4)\r\n");
    // The error comes while the window asks for the stop's variables.
    FakeProgram({"stopped\tstop\t1\t<main program>\t" + WireKey(main) + "\t3\t1\n", ""},
                "first=$'error\\tArray index out of bounds\\n'\n");
    docs().OpenDoc(main);
    ASSERT_TRUE(Activate());
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([&] { return debugger().session().State() == DebugState::Faulted; }));
    EXPECT_EQ(editor().ErrorMarkLine(), 3);
    EXPECT_EQ(editor().ExecutionLine(), 3);
    EXPECT_EQ(window->InfoPanel(), "Stopped at err.bb:3: Array index out of bounds");
    // Filled once: locals, globals, types, constants.
    EXPECT_EQ(debugger().variablesPane().tree().topLevelItemCount(), 4);
    ASSERT_EQ(window->problems().RowCount(), 1);
    EXPECT_EQ(window->problems().Row(0).message, "Array index out of bounds");
    EXPECT_TRUE(Enabled("btContinue"));
    EXPECT_FALSE(Enabled("btStepOver"));
    Press(Qt::Key_F5);
    ASSERT_TRUE(BuildFinished());
    EXPECT_EQ(Commands(), QStringList({"start", "end"}));
}

TEST_F(DebuggerWiring, OnlyTheLaunchedProgramIsHeardAndABrokenOneEndsTheRun)
{
    const QString main = dir.write("a.bb", "End\r\n");
    docs().OpenDoc(main);
    struct Row {
        const char* name;
        std::vector<std::string> replies;
        std::string before;
        const char* note;  // the label the Debug Log ends with
        int refused;
    };
    // Another local program connects first, then a second one once the
    // launched program is in.
    const std::string stranger = "exec 4<>/dev/tcp/127.0.0.1/$OVREL_DEBUG_PORT && printf 'hello\\tguess\\t1\\n' >&4\n";
    const Row rows[] = {
        {"strangers", {"log\tin\n"}, stranger, "debugclosed", 1},
        // Each waits until the IDE hangs up on it.
        {"malformed", {"log\tbad \\q escape\n", ""}, {}, "debugbadmessage", 0},
    };
    for (const Row& row : rows) {
        FakeProgram(row.replies, row.before);
        window->menus().button("btCompile")->trigger();
        ASSERT_TRUE(BuildFinished()) << row.name;
        const QString log = LogText();
        EXPECT_TRUE(log.endsWith(Label(row.note))) << row.name << ": " << log.toStdString();
        EXPECT_EQ(log.count(Label("debugrefused")), row.refused) << row.name;
    }
    // A program that never connects.
    FakeCompiler("printf 'Executing...\\r\\n'\n");
    window->menus().button("btCompile")->trigger();
    ASSERT_TRUE(BuildFinished());
    EXPECT_TRUE(LogText().endsWith(Label("debugnoconnect")));
}

}  // namespace
