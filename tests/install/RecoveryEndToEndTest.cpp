// The installed program, typed into and then ended from outside, gives the
// user's text back at its next start.
#include "documents/Document.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "install/Installed.h"
#include "mainwindow/MainWindow.h"
#include "startup/App.h"
#include "support/Wait.h"

#include <QDirIterator>
#include <QProcess>

#include <csignal>
#include <cstring>

namespace {

class RecoveryEndToEnd : public Installed {
protected:
    void SetUp() override
    {
        Installed::SetUp();
        PrepareUser();
    }

    // Starts the program on a file, and types into that file and into a new
    // document, as a user would.
    void StartAndType(QProcess& program)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", OVREL_TYPIST);
        env.insert("OVREL_TYPIST", "tabs 2\ntype ; typed first\nkey Ctrl+N\ntabs 3\ntype ; typed second");
        env.insert("OVREL_TYPIST_DONE", user.file("typed"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(Prefix("bin/ovrel"), {source});
        // The typist's file is there a moment before what it says is.
        ASSERT_TRUE(WaitUntil([&] { return !user.read("typed").empty(); }, 60000)) << program.readAll().toStdString();
        ASSERT_EQ(user.read("typed"), "typed");
    }

    // The copies in the state folder, of any program.
    int CopiesKept() const
    {
        QDirIterator it(user.file("state/ovrel/recovery"), {"*.recovery"}, QDir::Files, QDirIterator::Subdirectories);
        int n = 0;
        for (; it.hasNext(); it.next())
            ++n;
        return n;
    }

    // Starts the program again, restores both texts and gives them up.
    void ExpectBothTextsBack(const std::string& how)
    {
        prompter.shown.clear();
        prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
        {
            App again(layout, prompter, dialogs);
            ASSERT_TRUE(again.Start()) << how;
            DocumentManager& docs = again.mainWindow()->docs();
            ASSERT_TRUE(WaitUntil([&] { return docs.Docs().size() == 2; }, 10000))
                << how << ": " << prompter.texts().join("|").toStdString();
            EXPECT_EQ(prompter.shown.size(), 2u) << how;
            const CDoc& file = *docs.Docs()[0];
            const CDoc& added = *docs.Docs()[1];
            EditCtrl& editor = again.mainWindow()->editor();
            EXPECT_EQ(file.FilePath, source) << how;
            EXPECT_TRUE(file.Modified && added.Modified) << how;
            EXPECT_EQ(editor.BufferText(*file.EditorState), "; typed firstPrint \"Hello\"") << how;
            EXPECT_TRUE(added.FilePath.isEmpty()) << how;
            EXPECT_EQ(editor.BufferText(*added.EditorState), "; typed second") << how;
            prompter.answers.assign(2, MsgAnswer::No);
            again.mainWindow()->close();
        }
        EXPECT_EQ(CopiesKept(), 0) << how << ": the texts given up leave nothing behind";
    }

    QString source = user.write("game/main.bb", "Print \"Hello\"\r\n");
};

TEST_F(RecoveryEndToEnd, ASignalThatEndsTheProgramKeepsTheTextForTheNextStart)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        const std::string how = strsignal(signal);
        QProcess program;
        StartAndType(program);
        // At once: the copies are written at the signal, not by their timer.
        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(30000)) << how;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << how << program.readAll().toStdString();
        EXPECT_EQ(CopiesKept(), 2) << how;
        ExpectBothTextsBack(how);
        QFile::remove(user.file("typed"));
    }
}

TEST_F(RecoveryEndToEnd, AKillLosesNothingOnceTheCopiesAreWritten)
{
    QProcess program;
    StartAndType(program);
    ASSERT_TRUE(WaitUntil([&] { return CopiesKept() == 2; }, 15000));
    ::kill(pid_t(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(30000));
    ExpectBothTextsBack("kill -9");
}

}  // namespace
