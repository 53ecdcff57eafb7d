#include "startup/Layout.h"
#include "startup/SingleInstance.h"
#include "support/AppFixture.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A later start: it waits for the answer, so it runs beside the event loop.
bool HandOverFromAnotherStart(const Layout& layout, const QStringList& documents)
{
    auto later = std::async(std::launch::async, [&] { return HandToRunningInstance(layout, documents); });
    WaitUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000);
    return later.get();
}

QString PrivateFolder(const TempDir& dir, const QString& name, uid_t owner = ::geteuid())
{
    const QString path = dir.file(name);
    QDir().mkpath(path);
    EXPECT_EQ(::chown(QFile::encodeName(path), owner, gid_t(-1)), 0);
    EXPECT_EQ(::chmod(QFile::encodeName(path), 0700), 0);
    return path;
}

class SingleInstance : public ::testing::Test {
protected:
    bool HandOver(const QStringList& documents) { return HandOverFromAnotherStart(layout, documents); }
    // The running program's listener, what it is handed kept in `handed`.
    InstanceServer& Serve()
    {
        listener = std::make_unique<InstanceServer>(layout);
        QObject::connect(listener.get(), &InstanceServer::DocumentsHanded, listener.get(),
                         [this](const QStringList& documents) { handed << documents; });
        return *listener;
    }

    TempDir dir;
    QString runDir = PrivateFolder(dir, "run");
    ScopedEnv runtime{"XDG_RUNTIME_DIR", runDir.toLocal8Bit()};
    Layout layout = Layout::Portable(dir.path());
    std::unique_ptr<InstanceServer> listener;
    QList<QStringList> handed;
};

// One process holding 12,000 connections once took hundreds of megabytes
// and slowed the window, and half messages were kept for ever.
TEST_F(SingleInstance, MalformedSurplusAndQuietConnectionsAreDroppedAndTheNextStartIsServed)
{
    InstanceServer& server = Serve();
    ASSERT_TRUE(server.isListening());
    // Not a greeting; cut short, then the sender goes away.
    for (const QByteArray& bytes : {QByteArray("GET / HTTP/1.0\r\n\r\n"), QByteArray("ovrel-open 2\n/only-one.bb")}) {
        QLocalSocket socket;
        socket.connectToServer(InstanceServerName(layout));
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(bytes);
        WaitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 300);
        socket.abort();
        Pump(20);
    }
    std::vector<std::unique_ptr<QLocalSocket>> held;
    for (int i = 0; i < 200; ++i) {
        held.push_back(std::make_unique<QLocalSocket>());
        held.back()->connectToServer(InstanceServerName(layout));
        ASSERT_TRUE(held.back()->waitForConnected(1000));
        if (i % 2)
            held.back()->write("ovrel-open 1\n/half");
        Pump();
    }
    const auto open = [&] {
        return std::count_if(held.begin(), held.end(),
                             [](const auto& s) { return s->state() == QLocalSocket::ConnectedState; });
    };
    Pump(300);
    EXPECT_LT(open(), 100);
    EXPECT_TRUE(WaitUntil([&] { return open() == 0; }, 10000));
    EXPECT_TRUE(handed.isEmpty());

    // An empty name is handed over like any other item of a command line.
    EXPECT_TRUE(HandOver({"/games/main.bb", ""}));
    // So many files are not even offered: the start opens them itself.
    EXPECT_FALSE(HandOver(QStringList(5000, "/games/main.bb")));
    Pump(20);
    EXPECT_EQ(handed, QList<QStringList>({{"/games/main.bb", ""}}));
}

// A running program busy for longer than a later start waits (typing on a
// 1 MB line, a large paste) once opened the files after that start had given
// up and opened them in a window of its own: one file in two windows.
TEST_F(SingleInstance, AStartThatGaveUpWaitingIsNotServedAsWell)
{
    Serve();

    // The running program's event loop does not turn until the start is done.
    auto later = std::async(std::launch::async, [&] { return HandToRunningInstance(layout, {"/games/main.bb"}); });
    const bool taken = later.get();
    Pump(300);
    EXPECT_EQ(taken, !handed.isEmpty());
}

TEST_F(SingleInstance, ASocketLeftByAProgramThatEndedIsTakenOver)
{
    dir.write(InstanceServerName(layout).mid(dir.path().size() + 1), "left behind");
    InstanceServer server(layout);
    EXPECT_TRUE(server.isListening());
    EXPECT_TRUE(HandOver({}));

    // While it answers, a second listener keeps its hands off.
    InstanceServer another(layout);
    EXPECT_FALSE(another.isListening());
    EXPECT_TRUE(HandOver({}));
}

// The peer program run as another user (setpriv takes any user id, no user
// need exist), its output read line by line.
class OtherUser {
public:
    static constexpr uid_t kId = 4242;

    OtherUser(const QStringList& args, const QString& runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("HOME", runtime);
        m_process.setProcessEnvironment(env);
        const QString id = QString::number(kId);
        m_process.start("setpriv", QStringList{"--reuid=" + id, "--regid=" + id, "--clear-groups", OVREL_INSTANCE_PEER}
                                       + args);
    }
    ~OtherUser()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }
    QString Line()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    int ExitCode()
    {
        m_process.waitForFinished(10000);
        return m_process.exitCode();
    }

private:
    QProcess m_process;
};

// Root may enter every user's folders, and sudo, su or ssh may leave the
// runtime folder of another user set; without one, the socket's folder is in
// the shared temporary folder, where another user can be first. Files go to
// no program of another user, and a start of another user is not served.
TEST_F(SingleInstance, NoFilesGoToOrComeFromAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user id takes root";
    // The other user reaches the program folder and a runtime folder of its own.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()), 0755), 0);
    const QString theirs = PrivateFolder(dir, "theirs", OtherUser::kId);
    const QString name = QFileInfo(InstanceServerName(layout)).fileName();

    {
        OtherUser server({"serve", dir.path()}, theirs);
        ASSERT_EQ(server.Line(), "listening");
        QLocalSocket socket;
        socket.connectToServer(theirs + "/" + name);
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(QByteArray("ovrel-open 1\n/games/ours.bb") + '\0');
        EXPECT_FALSE(socket.waitForReadyRead(3000));
        EXPECT_EQ(socket.state(), QLocalSocket::UnconnectedState);
        OtherUser start({"hand", dir.path(), "/games/theirs.bb"}, theirs);
        EXPECT_EQ(start.ExitCode(), 0);
        EXPECT_EQ(server.Line(), "handed: /games/theirs.bb");
    }
    {
        // One of theirs that answers whoever comes, put where ours listens.
        OtherUser lure({"lure", theirs + "/lure"}, theirs);
        ASSERT_EQ(lure.Line(), "listening");
        ASSERT_TRUE(QFile::rename(theirs + "/lure", InstanceServerName(layout)));
        EXPECT_FALSE(HandToRunningInstance(layout, {"/games/secret.bb"}));
        // What it got first is what is sent to it now.
        QLocalSocket probe;
        probe.connectToServer(InstanceServerName(layout));
        probe.write("probe");
        probe.waitForBytesWritten(1000);
        EXPECT_EQ(lure.Line(), "got: probe");
    }
    {
        // Theirs made our folder in the shared temporary folder first: this
        // start keeps to itself, and its window takes no later start.
        const ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt), tmp("TMPDIR", dir.file("tmp").toLocal8Bit());
        PrivateFolder(dir, "tmp/ovrel-" + QString::number(::geteuid()), OtherUser::kId);
        EXPECT_EQ(InstanceServerName(layout), "");
        EXPECT_FALSE(HandToRunningInstance(layout, {"/games/secret.bb"}));
        EXPECT_FALSE(InstanceServer(layout).isListening());
    }
}

class HandedFiles : public AppFixture {};

// A message naming 10,000 missing files once showed 10,000 message boxes.
TEST_F(HandedFiles, ThoseThatCannotBeOpenedAreSaidInOneMessage)
{
    QStringList files;
    for (int i = 0; i < 300; ++i)
        files << dir.file(QStringLiteral("gone/%1.bb").arg(i));
    files.insert(150, dir.write("game.bb", "End\r\n"));
    EXPECT_TRUE(HandOverFromAnotherStart(Layout::Portable(dir.path()), files));
    ASSERT_TRUE(WaitUntil([&] { return !prompter.shown.empty(); }));
    Pump(200);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.texts()[0].startsWith("Unable to open 300 files:\nThe file \"" + files[0]
                                               + "\" does not exist.\nThe file \"" + files[1]))
        << prompter.texts()[0].left(300).toStdString();
    EXPECT_EQ(current().FilePath, files[150]);
}

}  // namespace
