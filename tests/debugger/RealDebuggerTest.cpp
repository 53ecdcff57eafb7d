// The debugger end to end: the real Blitz3D compiler and runtime under Wine
// load our debugger.dll and run programs on a display of their own, driven
// from the real main window by its keys. Runs where the shared real-compiler
// tool runs; elsewhere each test says why it skipped.
#include "debugger/DebugController.h"
#include "debugger/DebugPanes.h"
#include "debugger/VariablesPane.h"
#include "support/AppFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

// The team's shared folder beside the checkout (a worktree sits a level deeper).
const QString kShared = [] {
    QDir dir(QStringLiteral(OVREL_SOURCE_DIR));
    for (int up = 0; up < 3 && dir.cdUp(); ++up)
        if (QFileInfo::exists(dir.filePath(QStringLiteral("shared/tools/real-compiler"))))
            return dir.filePath(QStringLiteral("shared"));
    return QStringLiteral(OVREL_SOURCE_DIR "/../shared");
}();

// Why the real compiler cannot run here; empty when it can.
QString WhyNotReal()
{
    static const QString why = [] {
        const QString tool = kShared + QStringLiteral("/tools/real-compiler");
        if (!QFileInfo(tool).isExecutable())
            return QStringLiteral("no %1").arg(tool);
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return QStringLiteral("Xvfb is not installed");
        if (!QFileInfo::exists(QStringLiteral(OVREL_BUILD_DIR "/debugger.dll")))
            return QStringLiteral("debugger.dll was not built");
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(tool, {});
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
            return QString::fromLocal8Bit(probe.readAll()).trimmed();
        return QString();
    }();
    return why;
}

// A display for the programs, and a Wine of their own on it, for as long as
// the tests run: a Wine server started earlier for another display would
// keep the programs' windows from the keyboard, and their input would fail.
class Display {
public:
    Display()
    {
        qputenv("WINEPREFIX", m_prefix.path().toLocal8Bit());
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                 QStringLiteral("-screen"), QStringLiteral("0"),
                                                 QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                                                 QStringLiteral("tcp")});
        if (m_server.waitForReadyRead(20000))
            qputenv("DISPLAY", ":" + m_server.readLine().trimmed());
        qputenv("WINEDEBUG", "-all");
    }
    ~Display()
    {
        QProcess::execute(QStringLiteral("wineserver"), {QStringLiteral("-k")});
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

private:
    QTemporaryDir m_prefix;
    QProcess m_server;
};

class RealDebugger : public AppFixture {
protected:
    void SetUp() override
    {
        if (const QString why = WhyNotReal(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        static Display display;
        dir.setPref("PATHS", "B3DDir", QDir(kShared).filePath(QStringLiteral("blitz3d")));
        QFile::remove(dir.file("debugger.dll"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(OVREL_BUILD_DIR "/debugger.dll"), dir.file("debugger.dll")));
        Launch();
    }
    DebugController& debugger() const { return window->debugger(); }
    const DebugSession& session() const { return debugger().session(); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        ASSERT_TRUE(Activate());
        QTest::keyClick(window, key, modifiers);
    }
    // Opens the program's main file and runs it under the debugger.
    void Run(const QString& main)
    {
        docs().OpenDoc(main);
        Press(Qt::Key_F5);
    }
    bool Halted() const { return WaitUntil([&] { return session().Halted(); }, 90000); }
    bool Ended() const { return WaitUntil([&] { return !window->build().IsBuilding(); }, 90000); }
    // Where the program stopped: "file:line", the frames' depth after a slash.
    std::string Stop() const
    {
        return current().FileTitle.toStdString() + ":" + std::to_string(editor().ExecutionLine()) + "/" +
               std::to_string(session().Frames().size());
    }
    QString LogText() const { return debugger().logPane().toPlainText(); }
};

TEST_F(RealDebugger, BreakpointsStopInTheMainFileAndANestedIncludeAndDebugLogLinesComeInOrderUntilEnd)
{
    dir.write("game/lib/inner.bb", "Function Inner(n)\r\n\tReturn n * 10\r\nEnd Function\r\n");
    dir.write("game/lib/Outer.bb", "Include \"lib/inner.bb\"\r\nFunction Outer(n)\r\n\tReturn Inner(n) + 1\r\nEnd Function\r\n");
    const QString main = dir.write("game/main.bb", "Include \"lib/Outer.bb\"\r\nDebugLog \"one\"\r\nx = Outer(2)\r\n"
                                                   "DebugLog \"two\" : DebugLog \"three\"\r\nDebugLog \"x=\" + x\r\n"
                                                   "End\r\nDebugLog \"after\"\r\n");
    docs().OpenDoc(dir.file("game/lib/inner.bb"));
    editor().SetBreakpoint(2, true);
    docs().OpenDoc(main);
    editor().SetBreakpoint(4, true);
    Run(main);
    ASSERT_TRUE(Halted()) << LogText().toStdString();
    EXPECT_EQ(Stop(), "inner.bb:2/3");
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([&] { return session().Halted() && current().FilePath == main; }, 30000));
    EXPECT_EQ(Stop(), "main.bb:4/1") << "once for a line of two statements";
    Press(Qt::Key_F5);
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(LogText().contains("one\ntwo\nthree\nx=21")) << LogText().toStdString();
    EXPECT_FALSE(LogText().contains("after")) << "an End statement ends the session";
    EXPECT_EQ(window->InfoPanel(), app->labels.getValue("debugended"));
}

TEST_F(RealDebugger, PauseStopsAnEndlessLoopAndShiftF5EndsIt)
{
    const QString main = dir.write("loop.bb", "DebugLog \"looping\"\r\nWhile 1\r\n\tx = x + 1\r\nWend\r\n");
    Run(main);
    // In the loop; a Pause before the first statement would stop at it.
    ASSERT_TRUE(WaitUntil([&] { return LogText().contains("looping"); }, 90000)) << LogText().toStdString();
    Press(Qt::Key_Pause);
    ASSERT_TRUE(Halted());
    EXPECT_GE(editor().ExecutionLine(), 2);
    EXPECT_EQ(session().Reason(), "pause");
    Press(Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(session().State(), DebugState::Idle);
    EXPECT_EQ(editor().ExecutionLine(), 0);
}

TEST_F(RealDebugger, RuntimeErrorsHoldTheProgramAtTheirStatement)
{
    struct Row {
        const char* file;
        const char* source;
        int line;
        const char* message;
    };
    const Row rows[] = {
        {"bounds.bb", "Dim a(5)\r\nx = 3\r\nFunction F(k)\r\n\tReturn a(k)\r\nEnd Function\r\nPrint F(x * 4)\r\n", 4,
         "Array index out of bounds"},
        {"own.bb", "DebugLog \"x\"\r\nRuntimeError \"Out of ammo\"\r\n", 2, "Out of ammo"},
    };
    for (const Row& row : rows) {
        Run(dir.write(row.file, row.source));
        ASSERT_TRUE(WaitUntil([&] { return session().State() == DebugState::Faulted; }, 90000))
            << row.file << ": " << LogText().toStdString();
        EXPECT_EQ(current().FileTitle, row.file);
        EXPECT_EQ(editor().ExecutionLine(), row.line) << row.file;
        EXPECT_EQ(editor().ErrorMarkLine(), row.line) << row.file;
        EXPECT_EQ(session().Error(), row.message);
        Press(Qt::Key_F5);
        ASSERT_TRUE(Ended()) << row.file;
    }
}

// The value shown for a path of row names ("Globals/hero.Player/name$"),
// opening each container on the way; "?" when there is no such row.
QString Shown(VariablesPane& pane, const QString& path)
{
    QTreeWidgetItem* item = nullptr;
    for (const QString& name : path.split(u'/')) {
        QTreeWidgetItem* next = nullptr;
        if (item)
            pane.Expand(item);
        const int count = item ? item->childCount() : pane.tree().topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* child = item ? item->child(i) : pane.tree().topLevelItem(i);
            if (child->text(0) == name)
                next = child;
        }
        if (!next)
            return QStringLiteral("?");
        item = next;
    }
    return item->text(1);
}

TEST_F(RealDebugger, AStopShowsGlobalsObjectsArraysTypesAndEachFramesLocals)
{
    const QString main = dir.write(
        "vars.bb",
        "Const MAXN = 10\r\nType Vec\r\n\tField x#, y#\r\nEnd Type\r\nType Player\r\n\tField name$\r\n\tField hp\r\n"
        "\tField pos.Vec\r\n\tField inv[3]\r\n\tField link.Player\r\nEnd Type\r\n"
        "Global count = 42, ratio# = 1.0 / 3, label$ = Chr(34) + \"a\" + Chr(10) + \"b\", nothing.Player\r\n"
        "Global hero.Player = New Player\r\n"
        "hero\\name = \"Zed\" : hero\\hp = 7 : hero\\pos = New Vec : hero\\pos\\x = 2.5 : hero\\inv[1] = 99 : hero\\link = hero\r\n"
        "gone.Player = New Player : Delete gone\r\np2.Player = New Player : p2\\name = \"Two\"\r\n"
        "Dim grid(2, 3) : grid(1, 2) = 12\r\nDim who.Player(2) : who(1) = hero\r\n"
        "Function Rec(n)\r\n\tLocal s$ = \"n\" + n\r\n\tIf n = 0 Then Stop : Return 0\r\n\tReturn Rec(n - 1)\r\nEnd Function\r\n"
        "Rec(2)\r\n");
    Run(main);
    ASSERT_TRUE(Halted()) << LogText().toStdString();
    VariablesPane& pane = debugger().variablesPane();
    const std::pair<const char*, const char*> rows[] = {
        {"Globals/count%", "42"},
        {"Globals/ratio#", "0.333333"},
        {"Globals/label$", "\"\\\"a\\nb\""},
        {"Globals/nothing.Player", "Null"},
        {"Globals/hero.Player/name$", "\"Zed\""},
        {"Globals/hero.Player/pos.Vec/x#", "2.5"},
        {"Globals/hero.Player/inv%[3]/[1]%", "99"},
        {"Globals/hero.Player/link.Player", "Player"},
        {"Globals/grid%(2,3)/(1,2)%", "12"},
        {"Globals/who.Player(2)/(1).Player", "Player"},
        {"Globals/who.Player(2)/(0).Player", "Null"},
        {"Types/Player", "objects: 2"},
        {"Types/Player/[1].Player/name$", "\"Two\""},
        {"Locals/n%", "0"},
        {"Locals/s$", "\"n0\""},
        {"Constants/MAXN%", "10"},
    };
    for (const auto& [path, value] : rows)
        EXPECT_EQ(Shown(pane, path), value) << path;

    // Each frame of the recursion has its own n; the main program's locals
    // include a deleted object.
    QTreeWidget& stack = debugger().stackPane();
    ASSERT_EQ(stack.topLevelItemCount(), 4);
    for (int frame = 1; frame < 4; ++frame) {
        QTest::mouseClick(stack.viewport(), Qt::LeftButton, {}, stack.visualItemRect(stack.topLevelItem(frame)).center());
        if (frame < 3) {
            EXPECT_EQ(Shown(pane, "Locals/n%"), QString::number(frame));
        }
    }
    EXPECT_EQ(Shown(pane, "Locals/gone.Player"), "(deleted)");

    pane.AddWatch("who(1)\\pos\\x");
    pane.AddWatch("grid(3, 9)");
    EXPECT_EQ(Shown(pane, "Watches/who(1)\\pos\\x"), "2.5");
    EXPECT_EQ(Shown(pane, "Watches/grid(3, 9)"), app->labels.getValue("varoutofrange"));

    // Hovering over hp in "hero\hp = 7" shows the field.
    const QByteArray text = editor().Text();
    const qint64 at = text.indexOf("hero\\hp") + 6;
    const QRect place = editor().SpanRect({at, at + 1});
    EXPECT_EQ(debugger().HoverText(place.center()), "hero\\hp = 7");
    Press(Qt::Key_F5);
    ASSERT_TRUE(Ended());
}

}  // namespace
