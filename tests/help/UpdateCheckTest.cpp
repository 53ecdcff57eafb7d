// The update check against a web server of the test's own on 127.0.0.1, in
// one help browser that every test shares.
#include "HelpTestSupport.h"
#include "help/HelpArea.h"
#include "help/UpdateCheck.h"

#include "support/ProgramDir.h"  // ShippedResource
#include "support/Scripted.h"
#include "support/TempDir.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

QByteArray Http(const QByteArray& statusLine, const QByteArray& body)
{
    return "HTTP/1.1 " + statusLine + "\r\nContent-Type: text/plain\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// Answers every request with `answer`; while `answer` is empty, requests
// are held until released.
class FakeUpdateServer : public QObject {
public:
    FakeUpdateServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnRequest(socket); });
        });
    }
    QString Link() const { return QString("http://127.0.0.1:%1/stavel/autoupdate.asp").arg(m_server.serverPort()); }
    void Release(const QByteArray& response)
    {
        for (const QPointer<QTcpSocket>& socket : m_held)
            if (socket)
                Send(socket, response);
        m_held.clear();
    }

    QByteArray answer;
    int requests = 0;
    QByteArray lastRequest;

private:
    void OnRequest(QTcpSocket* socket)
    {
        QByteArray& received = m_received[socket];
        received += socket->readAll();
        if (!received.contains("\r\n\r\n") || socket->property("seen").toBool())
            return;
        socket->setProperty("seen", true);
        ++requests;
        lastRequest = received;
        if (answer.isEmpty())
            m_held.push_back(socket);
        else
            Send(socket, answer);
    }
    static void Send(QTcpSocket* socket, const QByteArray& response)
    {
        socket->write(response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    std::map<QTcpSocket*, QByteArray> m_received;
    std::vector<QPointer<QTcpSocket>> m_held;
};

// The help browser of every test, in a window with an editor beside it.
struct Browser : HelpWindow {
    TempDir dir;
    QString page = dir.write("AutoUpdate.html", ShippedResource("AutoUpdate.html"));
    QString elsewhere = dir.write("other.html", "<html><body><p id=spMsg>elsewhere</p></body></html>");
    HelpArea area{editor, browser};

    Browser() { area.ShowEditor(); }
};

class UpdateCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_browser = new Browser; }
    static void TearDownTestSuite() { delete std::exchange(s_browser, nullptr); }

    void SetUp() override
    {
        LoadAndWait(b.elsewhere);
        UseLink(server.Link());
    }

    void LoadAndWait(const QString& path)
    {
        EXPECT_TRUE(::LoadAndWait(*b.browser, [&] { b.browser->Navigate(path); }, QUrl::fromLocalFile(path)));
    }

    // A check of this version against the update address `link`.
    void UseLink(const QString& link)
    {
        check = std::make_unique<UpdateCheck>(b.area, b.labels, prompter, UpdateCheck::Setup{b.page, link, {0, 8, 20}});
        check->SetTimeout(3s);
        finished = 0;
        QObject::connect(check.get(), &UpdateCheck::Finished, check.get(), [this] { ++finished; });
    }

    // Runs `start` and waits for the check's outcome.
    void RunCheck(const std::function<void()>& start)
    {
        const int before = finished;
        start();
        ASSERT_TRUE(WaitUntil([&] { return finished > before; })) << "no outcome";
    }
    void RunCheck() { RunCheck([&] { check->StartUpdateCheck(); }); }

    QVariant Eval(const QString& script) { return RunScript(*b.browser, script); }
    QString Text(const char* id)
    {
        return Eval(QStringLiteral("document.getElementById('%1').innerText").arg(QLatin1String(id))).toString();
    }

    static Browser* s_browser;
    Browser& b = *s_browser;
    FakeUpdateServer server;
    ScriptedPrompter prompter;
    std::unique_ptr<UpdateCheck> check;
    int finished = 0;

    const QString waiting = QStringLiteral("Asking the update server for the latest version...");
    const QString newer = QStringLiteral("A new Version is available!\nClick Here to download the new Version (%1)");
    const QString upToDate = QStringLiteral("Your version is Updated!");
};
Browser* UpdateCheckTest::s_browser = nullptr;

// How each answer reads, a hostile download identifier too, is UpdateAnswer's
// test; here, what the page shows.
TEST_F(UpdateCheckTest, EachAnswerEndsInItsMessageOrItsFailure)
{
    const QString download = server.Link().replace("autoupdate.asp", "download.asp?id=");
    const struct {
        QByteArray response;
        QString message;  // what "spMsg" says; with a box it keeps its text
        QString box = {};
        QString link = {};
    } rows[] = {
        {Http("200 OK", "0.9.3\r\nB3D-0093\r\n"), newer.arg("0.9.3"), {}, download + "B3D-0093"},
        {Http("200 OK", QByteArray(200 * 1024, '9')), waiting, "it is far too long"},
        // The status text stays text.
        {Http("503 <i>busy</i>", ""),
         "An error occured while getting update info from internet:<i>busy</i>\n"
         "Be sure to be connected to the Internet and retry"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.response.left(80).toStdString());
        server.answer = row.response;
        prompter.shown.clear();
        RunCheck();
        EXPECT_EQ(Text("spMsg"), row.message);
        ASSERT_EQ(prompter.shown.size(), row.box.isEmpty() ? 0u : 1u);
        const QString told = prompter.told().value(0);
        EXPECT_TRUE(row.box.isEmpty() || (told.startsWith("Critical: ") && told.contains(row.box)))
            << told.toStdString();
        // Nothing of the answer became markup.
        if (!row.link.isEmpty()) {
            EXPECT_EQ(Eval("document.querySelector('#spMsg a').getAttribute('href')").toString(), row.link);
            const char* tags = "Array.from(document.querySelectorAll('#spMsg *')).map(e => e.tagName).join(' ')";
            EXPECT_EQ(Eval(tags).toString(), "B FONT BR A");
        }
    }
    EXPECT_TRUE(server.lastRequest.startsWith("GET /stavel/autoupdate.asp HTTP/1.1\r\n"));
    EXPECT_EQ(finished, int(std::size(rows)));
}

TEST_F(UpdateCheckTest, ASilentServerOrABadAddressEndsInAMessageWhileTheWindowGoesOn)
{
    // Long enough for the page to answer the question below on a busy machine.
    check->SetTimeout(1500ms);
    bool timerRan = false;
    QString meanwhile;
    RunCheck([&] {
        check->StartUpdateCheck();
        // While the server keeps silent, the window's events run.
        QTimer::singleShot(100, check.get(), [&] {
            timerRan = true;
            b.browser->ElementText("spMsg", [&](std::optional<QString> text) { meanwhile = text.value_or("?"); });
        });
    });
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(meanwhile, waiting);
    EXPECT_EQ(server.requests, 1);
    ASSERT_EQ(prompter.texts(), QStringList{"The update server did not answer within 1.5 seconds."});
    EXPECT_FALSE(check->Busy());

    // An address that is no web address ends in a message too (a server
    // nobody answers at: UpdateCommand.CheckForUpdatesShowsTheUpdatePage...).
    prompter.shown.clear();
    UseLink("file://" + b.page);
    RunCheck();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.startsWith("The update address is not a web address: \"file://" + b.page + "\"."));
    EXPECT_EQ(Text("spMsg"), waiting);
}

TEST_F(UpdateCheckTest, TheCheckRunsWheneverThePageLoadsAndOnlyTheLatestCounts)
{
    // Left before the answer came: the answer shows nowhere.
    check->StartUpdateCheck();
    ASSERT_TRUE(WaitUntil([&] { return server.requests == 1; }));
    LoadAndWait(b.elsewhere);
    EXPECT_FALSE(check->Busy());
    server.Release(Http("200 OK", "0.9.3\r\nid"));
    Pump(300);  // time for a wrong outcome to show
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(Text("spMsg"), "elsewhere");

    // Back in the history, the page asks again.
    server.answer = Http("200 OK", "0.8.20\r\nid");
    RunCheck([&] { b.browser->GoBack(); });
    EXPECT_EQ(server.requests, 2);
    EXPECT_EQ(Text("spMsg"), upToDate);

    // Asked again before the first answer: the second check's answer stands.
    server.answer.clear();
    check->StartUpdateCheck();
    ASSERT_TRUE(WaitUntil([&] { return server.requests == 3; }));
    server.answer = Http("200 OK", "0.9.3\r\nid");
    RunCheck();
    server.Release(Http("200 OK", "0.1.0"));
    Pump(300);  // time for a wrong outcome to show
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(Text("spMsg"), newer.arg("0.9.3"));
    EXPECT_TRUE(prompter.shown.empty());

    // Any page named so, in any letter case, is checked; one without the
    // message's element ends in the failure's message.
    const QString bare = b.dir.write("Elsewhere/AUTOUPDATE.HTML", "<html><body><b id=spVersion></b></body></html>");
    RunCheck([&] { b.browser->Navigate(bare); });
    EXPECT_EQ(Text("spVersion"), "0.8.20");
    EXPECT_EQ(prompter.texts(), QStringList{"The update page has no element \"spMsg\"."});
}

}  // namespace
