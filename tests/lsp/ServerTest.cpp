#include "support/TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <optional>

namespace {

// An editor's side of `ovrel --lsp`: the server as a child process, spoken
// to over pipes.
class Client {
public:
    Client()
    {
        m_server.start(QStringLiteral(OVREL_BUILD_DIR "/ovrel"), {QStringLiteral("--lsp")});
        m_server.waitForStarted();
    }
    ~Client()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

    void Raw(const QByteArray& bytes)
    {
        m_server.write(bytes);
        while (m_server.bytesToWrite() > 0 && m_server.waitForBytesWritten(30000)) {
        }
    }
    void Send(QJsonObject message)
    {
        message.insert(QStringLiteral("jsonrpc"), QStringLiteral("2.0"));
        const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
        Raw("Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    void Notify(const QString& method, const QJsonObject& params)
    {
        Send({{QStringLiteral("method"), method}, {QStringLiteral("params"), params}});
    }
    // The reply to a request; what comes before it is kept for Published.
    QJsonObject Request(const QString& method, const QJsonObject& params = {})
    {
        const int id = ++m_id;
        Send({{QStringLiteral("id"), id}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}});
        return ReplyTo(id);
    }
    QJsonObject ReplyTo(const QJsonValue& id)
    {
        for (;;) {
            const std::optional<QJsonObject> m = Next();
            if (!m)
                return {};
            if (m->contains(QStringLiteral("id")) && m->value(QStringLiteral("id")) == id)
                return *m;
            m_kept.push_back(*m);
        }
    }
    // The next diagnostics sent for a file; the others are kept.
    QJsonArray Published(const QString& uri)
    {
        for (std::size_t i = 0;; ++i) {
            if (i == m_kept.size()) {
                const std::optional<QJsonObject> m = Next();
                if (!m) {
                    ADD_FAILURE() << "no diagnostics for " << uri.toStdString();
                    return {};
                }
                m_kept.push_back(*m);
            }
            const QJsonObject params = m_kept[i].value(QStringLiteral("params")).toObject();
            if (m_kept[i].value(QStringLiteral("method")) == QStringLiteral("textDocument/publishDiagnostics") &&
                params.value(QStringLiteral("uri")) == uri) {
                m_kept.erase(m_kept.begin() + std::ptrdiff_t(i));
                return params.value(QStringLiteral("diagnostics")).toArray();
            }
        }
    }
    std::optional<QJsonObject> Next()
    {
        for (;;) {
            // Writing may have read what came meanwhile.
            m_in += m_server.readAllStandardOutput();
            const qsizetype end = m_in.indexOf("\r\n\r\n");
            if (end >= 0) {
                const qsizetype length = m_in.mid(16, end - 16).trimmed().toLongLong();
                if (m_in.size() >= end + 4 + length) {
                    const QJsonObject m = QJsonDocument::fromJson(m_in.mid(end + 4, length)).object();
                    m_in.remove(0, end + 4 + length);
                    return m;
                }
            }
            if (!m_server.waitForReadyRead(30000))
                return std::nullopt;
        }
    }
    QJsonObject Initialize(const QString& blitzPath)
    {
        QJsonObject reply = Request(QStringLiteral("initialize"),
                                    {{QStringLiteral("processId"), QJsonValue::Null},
                                     {QStringLiteral("capabilities"), QJsonObject()},
                                     {QStringLiteral("initializationOptions"), QJsonObject{{QStringLiteral("blitzpath"), blitzPath}}}});
        Notify(QStringLiteral("initialized"), {});
        return reply;
    }
    QProcess& process() { return m_server; }

private:
    QProcess m_server;
    QByteArray m_in;
    std::deque<QJsonObject> m_kept;
    int m_id = 0;
};

QJsonObject Pos(int line, int character)
{
    return {{QStringLiteral("line"), line}, {QStringLiteral("character"), character}};
}
QJsonObject At(const QString& uri, int line, int character)
{
    return {{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), uri}}},
            {QStringLiteral("position"), Pos(line, character)}};
}
// A range as "line:start-end" on one line.
std::string Span(const QJsonValue& range)
{
    const QJsonObject r = range.toObject(), s = r[QStringLiteral("start")].toObject(), e = r[QStringLiteral("end")].toObject();
    return std::to_string(s[QStringLiteral("line")].toInt()) + ":" + std::to_string(s[QStringLiteral("character")].toInt()) +
           "-" + (e[QStringLiteral("line")] != s[QStringLiteral("line")] ? std::to_string(e[QStringLiteral("line")].toInt()) + ":" : "") +
           std::to_string(e[QStringLiteral("character")].toInt());
}
// A location as "file line:start-end", the file by its name.
std::string Place(const QJsonValue& location)
{
    const QJsonObject l = location.toObject();
    return QUrl(l[QStringLiteral("uri")].toString()).fileName().toStdString() + " " + Span(l[QStringLiteral("range")]);
}
std::string Messages(const QJsonArray& diagnostics)
{
    std::string out;
    for (const QJsonValue& d : diagnostics)
        out += Span(d[QStringLiteral("range")]) + " " + d[QStringLiteral("message")].toString().toStdString() + ";";
    return out;
}
QString Uri(const QString& path) { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

}  // namespace

// A session as an editor has it: a program of three files opened by its
// main file, checked, edited into an error and out of it, and asked where
// names are declared and used, to rename one and to complete after `p\`.
// The text holds characters beyond ASCII, whose places the client counts in
// UTF-16.
TEST(LspServerTest, EditorSession)
{
    TempDir dir;
    const QByteArray mainText = "Include \"lib\\types.bb\"\r\nInclude \"Lib\\Util.bb\"\r\nGlobal p.Player = New Player\r\n"
                                "p\\hp = Heal(p\\hp)\r\nPrint \"\xc3\xa9\xf0\x9f\x98\x80\" + p\\name$\r\n";
    const QString main = Uri(dir.write("game/main.bb", mainText.toStdString()));
    const QString types = Uri(dir.write("game/lib/types.bb", "Type Player\r\n\tField hp, name$\r\nEnd Type\r\n"));
    const QString util = Uri(dir.write("game/lib/util.bb",
                                       "Function Heal(amount)\r\n\tReturn amount + Undeclared(1)\r\nEnd Function\r\n"));
    Client c;
    const QJsonObject init = c.Initialize(dir.file("blitz"));
    const QJsonObject caps = init[QStringLiteral("result")][QStringLiteral("capabilities")].toObject();
    EXPECT_EQ(caps[QStringLiteral("positionEncoding")], QStringLiteral("utf-16"));
    EXPECT_EQ(caps[QStringLiteral("textDocumentSync")][QStringLiteral("change")], 2);
    // The server runs without the window's libraries mapped at all.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(c.process().processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libQt6Gui"));

    c.Notify(QStringLiteral("textDocument/didOpen"),
             {{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), main},
                                                           {QStringLiteral("languageId"), QStringLiteral("blitzbasic")},
                                                           {QStringLiteral("version"), 1},
                                                           {QStringLiteral("text"), QString::fromUtf8(mainText)}}}});
    // Every file of the program that has diagnostics gets them, open or not.
    EXPECT_EQ(Messages(c.Published(main)), "");
    EXPECT_EQ(Messages(c.Published(util)), "1:1-30 Function 'undeclared' not found;");
    // A file that is not open is watched: fixed on disk, its error goes.
    dir.write("game/lib/util.bb", "Function Heal(amount)\r\n\tReturn amount + 1\r\nEnd Function\r\n");
    EXPECT_EQ(Messages(c.Published(util)), "");

    const auto change = [&](int version, int line, int from, int to, const QString& text) {
        c.Notify(QStringLiteral("textDocument/didChange"),
                 {{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), main}, {QStringLiteral("version"), version}}},
                  {QStringLiteral("contentChanges"),
                   QJsonArray{QJsonObject{{QStringLiteral("range"), QJsonObject{{QStringLiteral("start"), Pos(line, from)},
                                                                                  {QStringLiteral("end"), Pos(line, to)}}},
                                          {QStringLiteral("text"), text}}}}});
    };
    change(2, 4, 2, 3, QString());  // Print -> Prnt
    EXPECT_EQ(Messages(c.Published(main)), "4:0-20 Function 'prnt' not found;");
    change(3, 4, 2, 2, QStringLiteral("i"));
    EXPECT_EQ(Messages(c.Published(main)), "");

    // Queries: after the emoji, UTF-16 counts two units where UTF-8 has four bytes.
    EXPECT_EQ(Place(c.Request(QStringLiteral("textDocument/definition"), At(main, 3, 8))[QStringLiteral("result")]),
              "util.bb 0:9-13");
    EXPECT_EQ(Place(c.Request(QStringLiteral("textDocument/definition"), At(main, 4, 17))[QStringLiteral("result")]),
              "types.bb 1:11-15");
    std::vector<std::string> refs;
    for (const QJsonValue& r : c.Request(QStringLiteral("textDocument/references"), At(main, 3, 3))[QStringLiteral("result")].toArray())
        refs.push_back(Place(r));
    std::sort(refs.begin(), refs.end());
    EXPECT_EQ(refs, (std::vector<std::string>{"main.bb 3:14-16", "main.bb 3:2-4", "types.bb 1:7-9"}));

    // Rename: the same edits and refusals as F2.
    QJsonObject rename = At(main, 3, 3);
    rename.insert(QStringLiteral("newName"), QStringLiteral("health"));
    const QJsonObject edits = c.Request(QStringLiteral("textDocument/rename"), rename)[QStringLiteral("result")][QStringLiteral("changes")].toObject();
    std::vector<std::string> renamed;
    for (auto file = edits.begin(); file != edits.end(); ++file)
        for (const QJsonValue& e : file->toArray())
            renamed.push_back(QUrl(file.key()).fileName().toStdString() + " " + Span(e[QStringLiteral("range")]) + " " +
                              e[QStringLiteral("newText")].toString().toStdString());
    std::sort(renamed.begin(), renamed.end());
    EXPECT_EQ(renamed, (std::vector<std::string>{"main.bb 3:14-16 health", "main.bb 3:2-4 health", "types.bb 1:7-9 health"}));
    rename.insert(QStringLiteral("newName"), QStringLiteral("Name"));
    EXPECT_EQ(c.Request(QStringLiteral("textDocument/rename"), rename)[QStringLiteral("error")][QStringLiteral("message")]
                  .toString().left(26), QStringLiteral("Cannot rename field 'hp' t"));
    const QJsonObject prepared = c.Request(QStringLiteral("textDocument/prepareRename"), At(main, 3, 3));
    EXPECT_EQ(Span(prepared[QStringLiteral("result")][QStringLiteral("range")]), "3:2-4");
    EXPECT_EQ(c.Request(QStringLiteral("textDocument/prepareRename"), At(main, 4, 1))[QStringLiteral("error")][QStringLiteral("code")], -32803);

    // Completion after `p\` typed on a new last line; a blank typed opens the
    // types after New only, as typing does in the window.
    change(4, 5, 0, 0, QStringLiteral("p\\"));
    const auto completed = [&](int line, int character, bool afterBlank) {
        QJsonObject params = At(main, line, character);
        if (afterBlank)
            params.insert(QStringLiteral("context"), QJsonObject{{QStringLiteral("triggerKind"), 2}, {QStringLiteral("triggerCharacter"), QStringLiteral(" ")}});
        QStringList names;
        for (const QJsonValue& item : c.Request(QStringLiteral("textDocument/completion"), params)[QStringLiteral("result")][QStringLiteral("items")].toArray())
            names << item[QStringLiteral("label")].toString();
        return names;
    };
    EXPECT_EQ(completed(5, 2, false), (QStringList{QStringLiteral("hp"), QStringLiteral("name$")}));
    EXPECT_EQ(completed(2, 22, true), QStringList{QStringLiteral("Player")});
    EXPECT_EQ(completed(4, 6, true), QStringList());

    // The call being typed, and what a name is.
    const QJsonObject help = c.Request(QStringLiteral("textDocument/signatureHelp"), At(main, 3, 13))[QStringLiteral("result")].toObject();
    EXPECT_EQ(help[QStringLiteral("signatures")][0][QStringLiteral("label")], QStringLiteral("Heal amount"));
    EXPECT_EQ(help[QStringLiteral("activeParameter")], 0);
    EXPECT_EQ(c.Request(QStringLiteral("textDocument/hover"), At(main, 2, 8))[QStringLiteral("result")][QStringLiteral("contents")][QStringLiteral("value")],
              QStringLiteral("```blitzbasic\nGlobal p.Player = New Player\n```"));
    const QJsonArray outline = c.Request(QStringLiteral("textDocument/documentSymbol"),
                                         {{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), types}}}})[QStringLiteral("result")].toArray();
    ASSERT_EQ(outline.size(), 1);
    EXPECT_EQ(outline[0][QStringLiteral("name")], QStringLiteral("Player"));
    EXPECT_EQ(outline[0][QStringLiteral("children")].toArray().size(), 2);
    const QJsonArray found = c.Request(QStringLiteral("workspace/symbol"), {{QStringLiteral("query"), QStringLiteral("hea")}})[QStringLiteral("result")].toArray();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0][QStringLiteral("name")], QStringLiteral("Heal"));
    EXPECT_EQ(Place(found[0][QStringLiteral("location")]), "util.bb 0:9-13");
    // Coloured names after the emoji: a global, then a field, in UTF-16 units.
    const QJsonObject line4{{QStringLiteral("start"), Pos(4, 0)}, {QStringLiteral("end"), Pos(4, 99)}};
    const QJsonValue tokens = c.Request(QStringLiteral("textDocument/semanticTokens/range"),
                                        {{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), main}}},
                                         {QStringLiteral("range"), line4}})[QStringLiteral("result")][QStringLiteral("data")];
    EXPECT_EQ(QJsonDocument(tokens.toArray()).toJson(QJsonDocument::Compact), "[4,14,1,0,4,0,2,4,4,0]");

    EXPECT_TRUE(c.Request(QStringLiteral("shutdown")).contains(QStringLiteral("result")));
    c.Notify(QStringLiteral("exit"), {});
    ASSERT_TRUE(c.process().waitForFinished(10000));
    EXPECT_EQ(c.process().exitCode(), 0);
}

// What no editor should send gets a JSON-RPC error, and the server reads the
// next message as if nothing had happened; a client that goes away ends it.
TEST(LspServerTest, BadInput)
{
    const auto frame = [](const QByteArray& body) { return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body; };
    const struct {
        const char* what;
        QByteArray bytes;
        int code;
        QJsonValue id;
    } rows[] = {
        {"malformed header", "Content-Lenght: 2\r\n\r\n{}", -32700, QJsonValue::Null},
        {"body not JSON", frame("{\"jsonrpc\":\"2.0\",\"id\":"), -32700, QJsonValue::Null},
        {"not a request", frame("[1,2]"), -32600, QJsonValue::Null},
        {"unknown method", frame(R"({"jsonrpc":"2.0","id":"u","method":"textDocument/frobnicate","params":{}})"), -32601, "u"},
        {"file outside any program",
         frame(R"({"jsonrpc":"2.0","id":7,"method":"textDocument/definition","params":{"textDocument":{"uri":"file:///nowhere/x.bb"},"position":{"line":0,"character":0}}})"),
         -32803, 7},
        {"100 MB message", "Content-Length: 104857600\r\n\r\n" + QByteArray(104857600, 'x'), -32600, QJsonValue::Null},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Client c;
        c.Initialize(QString());
        c.Raw(row.bytes);
        const QJsonObject error = c.ReplyTo(row.id);
        EXPECT_EQ(error[QStringLiteral("error")][QStringLiteral("code")], row.code);
        // Still serving.
        EXPECT_TRUE(c.Request(QStringLiteral("workspace/symbol"), {{QStringLiteral("query"), QStringLiteral("x")}})
                        .contains(QStringLiteral("result")));
        // Nothing of a message it did not take stays in memory.
        QFile status(QStringLiteral("/proc/%1/status").arg(c.process().processId()));
        ASSERT_TRUE(status.open(QIODevice::ReadOnly));
        const QByteArray text = status.readAll();
        const qsizetype at = text.indexOf("VmHWM:");
        const QByteArray peak = text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed();
        EXPECT_LT(peak.split(' ')[0].toLongLong(), 32 * 1024) << peak.toStdString();
    }

    // A client that goes away, between messages or in the middle of one.
    for (const QByteArray& last : {QByteArray(), QByteArray("Content-Length: 90\r\n\r\n{\"jsonrpc\"")}) {
        Client gone;
        gone.Initialize(QString());
        gone.Raw(last);
        gone.process().closeWriteChannel();
        ASSERT_TRUE(gone.process().waitForFinished(10000));
        EXPECT_EQ(gone.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(gone.process().exitCode(), 1);
    }
    // One that stops reading what it is sent: the server ends, killed by no signal.
    QProcess deaf;
    deaf.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("\"$0\" --lsp | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}"),
                                        QStringLiteral(OVREL_BUILD_DIR "/ovrel")});
    const QByteArray ask = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
    for (int i = 0; i < 50 && !deaf.waitForFinished(200); ++i)
        deaf.write("Content-Length: " + QByteArray::number(ask.size()) + "\r\n\r\n" + ask);
    EXPECT_EQ(deaf.state(), QProcess::NotRunning);
    EXPECT_EQ(deaf.exitCode(), 1);
}
