#include "BuildFixture.h"

#include <QRegularExpression>

TEST_F(BuildFixture, EachCommandRunsTheCompilerInItsFolderWithOnlyTheBlitzVariables)
{
    const QString exe = blitz.file("src/game.exe");
    const struct {
        std::function<void()> command;
        bool debug;
        QString programArgs;
        QStringList args;
        QString status;
    } rows[] = {
        // The debug switch and the arguments each alone: the window's test.
        {[&] { build->CompileAndRun(); }, true, "-level 2 \"save 1.dat\"",
         {"-d", gamePath, "-level", "2", "save 1.dat"}, "Compiling game.bb...done."},
        {[&] { build->BuildExecutable(); }, true, "-x", {"-o", exe, gamePath},
         "Building the executable of game.bb...done."},
        // Last, so that the debug log below holds this build alone.
        {[&] { build->Check(); }, true, "-x", {"-c", gamePath}, "Checking game.bb...done."},
    };
    const QMap<QString, QString> env{{"blitzpath", blitz.b3dDir()}, {"path", blitz.binDir()}};
    for (const auto& row : rows) {
        blitz.Prints(Progress(gamePath));
        blitz.write("ide/output.txt", "left over from the last build\r\n");
        host.calls.clear();
        log.OpenLog();
        build->SetDebugEnabled(row.debug);
        build->SetProgramCommandLine(row.programArgs);
        row.command();
        ASSERT_TRUE(Finish());
        SCOPED_TRACE(row.status.toStdString());
        EXPECT_EQ(blitz.Args(), row.args);
        EXPECT_EQ(blitz.Cwd(), QFileInfo(blitz.binDir()).canonicalFilePath());
        EXPECT_EQ(blitz.Env(), env);
        EXPECT_EQ(ReadFileBytes(blitz.outputPath()), Progress(gamePath));
        EXPECT_EQ(host.panel, row.status);
        EXPECT_EQ(host.calls, QStringList({"save:Doc_1"}));
        EXPECT_EQ(build->LastBuiltKey(), "Doc_1");
    }
    EXPECT_TRUE(prompter.shown.empty());

    QString log = QString::fromStdString(ReadFileBytes(blitz.programDir() + "/debug.log"));
    log.replace(QRegularExpression(R"(\(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\))"), "(time)");
    EXPECT_EQ(log, "Inside builddoc: buildmode=0\r\n\r\nValidDoc OK\r\n\r\ncmdstr=\"" + blitz.compiler()
                       + "\" -c \"" + gamePath + "\"\r\n\r\nCalling Shell Command...\r\n\r\n"
                       "Called Shell Command: res=1\r\n\r\nEnabling WaitExecute Timer (time)\r\n\r\n"
                       "Execution finished (time)\r\n\r\n");
}

TEST_F(BuildFixture, TheLastLineAndTheExitStatusDecideBetweenDoneAndAnError)
{
    const std::string game = "\"" + gamePath.toStdString() + "\"";
    // The compiler names an included file by its whole path in lower case.
    blitz.write("src/Inc/Maths.bb", "Function Bar()\r\nEnd Function\r\n");
    const std::string include = "\"" + blitz.file("src/Inc/Maths.bb").toLower().toStdString() + "\"";
    const std::string banner = "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\n";
    const struct {
        std::string out;
        int exit;
        std::string err;
        QString calls;    // after the save
        QString message;  // the message box; none when empty
        QString status;   // after the launch text
    } rows[] = {
        {Progress(gamePath), 0, "", "", "", "done."},
        {Progress(gamePath, game + ":12:5:12:5:Expecting expression"), 255, "", "show:Doc_1:12 mark:12:5",
         "error at line 12, column 5\r\nExpecting expression",
         "error at line 12, column 5. Expecting expression"},
        // Reported in an include: that file is opened, at the line and column.
        {Progress(gamePath, include + ":3:7:3:7:Function 'Foo' not found"), 255, "",
         "open:Maths.bb show:Doc_3:3 mark:3:7",
         "error at line 3, column 7\r\nFunction 'Foo' not found",
         "error at line 3, column 7. Function 'Foo' not found"},
        // The report may come on standard error; the message stops at its colon.
        // The main file named in a form this disk does not know is the built one.
        {"BlitzCC V1.108\r\nParsing...\r\n", 255,
         "\"C:\\Games\\game.bb\":40:1:40:1:Illegal type conversion: Int to String\r\n",
         "show:Doc_1:40 mark:40:1", "error at line 40, column 1\r\nIllegal type conversion",
         "error at line 40, column 1. Illegal type conversion"},
        // No position: the document is brought up but nothing is flashed.
        {"BlitzCC V1.108\r\n\"\":65536:65536:65536:65536:Not enough parameters\r\n", 255, "", "show:Doc_1:-1",
         "error at line 65536, column 65536\r\nNot enough parameters",
         "error at line 65536, column 65536. Not enough parameters"},
        // A compiler that cannot work at all says so in a bare line; this
        // used to read "done". (Which lines and exit statuses fail:
        // CompilerError.ANonZeroExitWithoutAReportIsAFailureThatSaysHowTheCompilerEnded.)
        {banner + "Unable to open linker.dll\r\n", 255, "", "",
         "The compiler failed with exit code 255.\r\nIts last line: Unable to open linker.dll",
         "failed (exit code 255): Unable to open linker.dll"},
        // Not takeable: said in the status bar, with no jump and no box.
        {game + ":x:1:1:1:odd\r\n", 255, "", "", "",
         "The compiler reported an error in a form that could not be read: " + QString::fromStdString(game)
             + ":x:1:1:1:odd"},
    };
    for (const auto& row : rows) {
        blitz.Prints(row.out, row.exit, row.err);
        host.calls.clear();
        prompter.shown.clear();
        host.current = "Doc_1";
        build->Check();
        // The user goes to another tab while the compiler runs.
        host.current = "Doc_2";
        host.panel.clear();
        ASSERT_TRUE(Finish());

        SCOPED_TRACE(row.status.toStdString());
        EXPECT_EQ(host.calls.mid(1).join(' '), row.calls);
        EXPECT_EQ(host.panel, "Checking game.bb..." + row.status);
        EXPECT_EQ(prompter.told(), row.message.isEmpty() ? QStringList() : QStringList{"Critical: " + row.message});
    }
}

TEST_F(BuildFixture, DocumentsAreSavedOrRefusedBeforeTheBuildAndRunRebuildsTheLastBuilt)
{
    // Before any build, Run builds nothing.
    blitz.Prints("Executing...\r\n");
    build->Run();
    EXPECT_FALSE(blitz.Started());
    EXPECT_EQ(build->LastBuiltKey(), "");
    build->Check();
    ASSERT_TRUE(Finish());
    blitz.Forget();

    // A never-saved document whose Save dialog is cancelled is not built.
    host.Add("Doc_3", "");
    host.current = "Doc_3";
    build->Check();
    EXPECT_FALSE(blitz.Started());
    EXPECT_FALSE(build->IsBuilding());
    EXPECT_EQ(prompter.told(), QStringList({"Critical: Please save newfile_3 before building it."}));
    EXPECT_EQ(prompter.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(build->LastBuiltKey(), "Doc_1");

    // Saved through the dialog, it is built under its new name.
    const QString named = blitz.write("src/named.bb", "End\r\n");
    host.saveAnswers.push_back(named);
    build->CompileAndRun();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(blitz.Args(), QStringList({"-d", named}));
    EXPECT_EQ(host.panel, "Compiling named.bb...done.");
    EXPECT_EQ(build->LastBuiltKey(), "Doc_3");

    // Run builds the last built document while it is open, from any tab,
    // and without saving it, so unsaved changes there refuse the build.
    host.current = "Doc_1";
    build->Run();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(blitz.Args(), QStringList({"-d", named}));
    host.docs["Doc_3"].Modified = true;
    host.calls.clear();
    prompter.shown.clear();
    blitz.Forget();
    build->Run();
    EXPECT_FALSE(blitz.Started());
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(prompter.texts(), QStringList({"Please save named.bb before building it."}));
    host.docs.erase("Doc_3");
    prompter.shown.clear();
    build->Run();
    EXPECT_FALSE(blitz.Started());
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(BuildFixture, AnIncludedDocumentBuildsItsMainFileSavedToo)
{
    // other.bb includes game.bb; both have unsaved changes.
    host.mains["Doc_1"] = {otherPath, "Doc_2"};
    host.docs["Doc_1"].Modified = host.docs["Doc_2"].Modified = true;
    // An error the main file's name tells, in a form this disk does not know.
    blitz.Prints("BlitzCC V1.108\r\n\"C:\\Games\\other.bb\":4:2:4:2:Expecting expression\r\n", 255);
    build->Check();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(blitz.Args(), QStringList({"-c", otherPath}));
    EXPECT_EQ(host.calls.join(' '), "save:Doc_1 save:Doc_2 open:other.bb show:Doc_2:4 mark:4:2");
    EXPECT_TRUE(host.panel.startsWith("Checking other.bb...")) << host.panel.toStdString();

    // Its main file not open, it is opened as well.
    host.mains["Doc_1"] = {otherPath, ""};
    host.docs.erase("Doc_2");
    host.current = "Doc_1";
    host.calls.clear();
    build->Check();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(host.calls.join(' '), "save:Doc_1 open:other.bb show:Doc_2:4 mark:4:2");
}

TEST_F(BuildFixture, ARelativeBlitzFolderIsTakenFromTheProgramFolder)
{
    settings.B3DDir = "../Blitz3D";
    settings.ProgramDir = blitz.programDir();
    blitz.Prints("Executing...\r\n");
    build->CompileAndRun();
    ASSERT_TRUE(Finish());
    EXPECT_TRUE(prompter.shown.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(blitz.Cwd(), QFileInfo(blitz.binDir()).canonicalFilePath());
    const QMap<QString, QString> env = blitz.Env();
    EXPECT_TRUE(QFileInfo(env.value("blitzpath")).isAbsolute()) << env.value("blitzpath").toStdString();
    EXPECT_EQ(QFileInfo(env.value("blitzpath")).canonicalFilePath(), QFileInfo(blitz.b3dDir()).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(env.value("path")).isAbsolute());
    EXPECT_EQ(host.panel, "Compiling game.bb...done.");
}

TEST_F(BuildFixture, AnOutputFileThatCannotBeWrittenIsNotReadBack)
{
    // A folder where output.txt belongs cannot be emptied; whatever it holds
    // must not pass for the compiler's report.
    QDir().mkpath(blitz.outputPath());
    blitz.write("ide/output.txt/stale", "\"a.bb\":1:1:1:1:old error\r\n");
    blitz.Prints(Progress(gamePath, "\"" + gamePath.toStdString() + "\":2:1:2:1:new error"), 255);
    build->Check();
    ASSERT_TRUE(Finish());
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(host.calls, QStringList({"save:Doc_1"}));
    EXPECT_EQ(host.panel, "Checking game.bb... The compiler's output " + blitz.outputPath() + " could not be written.");
}
