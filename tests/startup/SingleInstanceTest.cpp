#include "startup/Layout.h"
#include "startup/SingleInstance.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/Wait.h"

#include <QLocalSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

class SingleInstance : public ::testing::Test {
protected:
    // A later start: it waits for the answer, so it runs beside the event loop.
    bool HandOver(const QStringList& documents)
    {
        auto later = std::async(std::launch::async, [&] { return HandToRunningInstance(layout, documents); });
        WaitUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000);
        return later.get();
    }

    TempDir dir;
    QString runDir = dir.write("run/.keep", "").chopped(6);
    ScopedEnv runtime{"XDG_RUNTIME_DIR", runDir.toLocal8Bit()};
    Layout layout = Layout::Portable(dir.path());
};

TEST_F(SingleInstance, MalformedMessagesAreDroppedAndTheNextStartIsStillServed)
{
    InstanceServer server(layout);
    ASSERT_TRUE(server.isListening());
    QList<QStringList> handed;
    QObject::connect(&server, &InstanceServer::DocumentsHanded, &server,
                     [&](const QStringList& documents) { handed << documents; });

    const QByteArray rows[] = {
        "GET / HTTP/1.0\r\n\r\n",
        "ovrel-open 99999999999\n",
        "ovrel-open -1\n",
        QByteArray("ovrel-open 1\n/a.bb") + '\0' + "/b.bb" + '\0',
        // Cut short, then the sender goes away.
        "ovrel-open 2\n/only-one.bb",
        QByteArray(2 << 20, 'x'),
    };
    for (const QByteArray& bytes : rows) {
        QLocalSocket socket;
        socket.connectToServer(InstanceServerName(layout));
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(bytes);
        WaitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 300);
        socket.abort();
        Pump(20);
    }
    EXPECT_TRUE(handed.isEmpty());

    // An empty name is handed over like any other item of a command line.
    EXPECT_TRUE(HandOver({"/games/main.bb", ""}));
    Pump(20);
    EXPECT_EQ(handed, QList<QStringList>({{"/games/main.bb", ""}}));
}

// A running program busy for longer than a later start waits (typing on a
// 1 MB line, a large paste) once opened the files after that start had given
// up and opened them in a window of its own: one file in two windows.
TEST_F(SingleInstance, AStartThatGaveUpWaitingIsNotServedAsWell)
{
    InstanceServer server(layout);
    QList<QStringList> handed;
    QObject::connect(&server, &InstanceServer::DocumentsHanded, &server,
                     [&](const QStringList& documents) { handed << documents; });

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

}  // namespace
