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

using namespace Qt::StringLiterals;

namespace {

// An editor's side of `ovrel --lsp`: the server as a child process, spoken
// to over pipes.
class Client {
public:
    Client()
    {
        m_server.start(QStringLiteral(OVREL_BUILD_DIR "/ovrel"), {u"--lsp"_s});
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
        message.insert(u"jsonrpc"_s, u"2.0"_s);
        const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
        Raw("Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    void Notify(const QString& method, const QJsonObject& params)
    {
        Send({{u"method"_s, method}, {u"params"_s, params}});
    }
    // The reply to a request; what comes before it is kept for Published.
    QJsonObject Request(const QString& method, const QJsonObject& params = {})
    {
        const int id = ++m_id;
        Send({{u"id"_s, id}, {u"method"_s, method}, {u"params"_s, params}});
        return ReplyTo(id);
    }
    QJsonObject ReplyTo(const QJsonValue& id)
    {
        for (;;) {
            const std::optional<QJsonObject> m = Next();
            if (!m)
                return {};
            if (m->contains(u"id"_s) && m->value(u"id"_s) == id)
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
            const QJsonObject params = m_kept[i].value(u"params"_s).toObject();
            if (m_kept[i].value(u"method"_s) == u"textDocument/publishDiagnostics"_s && params.value(u"uri"_s) == uri) {
                m_kept.erase(m_kept.begin() + std::ptrdiff_t(i));
                return params.value(u"diagnostics"_s).toArray();
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
        const QJsonObject options{{u"blitzpath"_s, blitzPath}};
        QJsonObject reply = Request(u"initialize"_s, {{u"processId"_s, QJsonValue::Null},
                                                      {u"capabilities"_s, QJsonObject()},
                                                      {u"initializationOptions"_s, options}});
        Notify(u"initialized"_s, {});
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
    return {{u"line"_s, line}, {u"character"_s, character}};
}
QJsonObject At(const QString& uri, int line, int character)
{
    return {{u"textDocument"_s, QJsonObject{{u"uri"_s, uri}}}, {u"position"_s, Pos(line, character)}};
}
// A range as "line:start-end" on one line.
std::string Span(const QJsonValue& range)
{
    const QJsonObject r = range.toObject(), s = r[u"start"_s].toObject(), e = r[u"end"_s].toObject();
    return std::to_string(s[u"line"_s].toInt()) + ":" + std::to_string(s[u"character"_s].toInt()) + "-" +
           (e[u"line"_s] != s[u"line"_s] ? std::to_string(e[u"line"_s].toInt()) + ":" : "") +
           std::to_string(e[u"character"_s].toInt());
}
// A location as "file line:start-end", the file by its name.
std::string Place(const QJsonValue& location)
{
    const QJsonObject l = location.toObject();
    return QUrl(l[u"uri"_s].toString()).fileName().toStdString() + " " + Span(l[u"range"_s]);
}
std::string Messages(const QJsonArray& diagnostics)
{
    std::string out;
    for (const QJsonValue& d : diagnostics)
        out += Span(d[u"range"_s]) + " " + d[u"message"_s].toString().toStdString() + ";";
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
    const QJsonObject caps = init[u"result"_s][u"capabilities"_s].toObject();
    EXPECT_EQ(caps[u"positionEncoding"_s], u"utf-16"_s);
    EXPECT_EQ(caps[u"textDocumentSync"_s][u"change"_s], 2);
    // The server runs without the window's libraries mapped at all.
    QFile maps(u"/proc/%1/maps"_s.arg(c.process().processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libQt6Gui"));

    const QJsonObject opened{{u"uri"_s, main}, {u"languageId"_s, u"blitzbasic"_s}, {u"version"_s, 1},
                             {u"text"_s, QString::fromUtf8(mainText)}};
    c.Notify(u"textDocument/didOpen"_s, {{u"textDocument"_s, opened}});
    // Every file of the program that has diagnostics gets them, open or not.
    EXPECT_EQ(Messages(c.Published(main)), "");
    EXPECT_EQ(Messages(c.Published(util)), "1:1-30 Function 'undeclared' not found;");
    // A file that is not open is watched: fixed on disk, its error goes.
    dir.write("game/lib/util.bb", "Function Heal(amount)\r\n\tReturn amount + 1\r\nEnd Function\r\n");
    EXPECT_EQ(Messages(c.Published(util)), "");

    const auto change = [&](int version, int line, int from, int to, const QString& text) {
        const QJsonObject range{{u"start"_s, Pos(line, from)}, {u"end"_s, Pos(line, to)}};
        c.Notify(u"textDocument/didChange"_s,
                 {{u"textDocument"_s, QJsonObject{{u"uri"_s, main}, {u"version"_s, version}}},
                  {u"contentChanges"_s, QJsonArray{QJsonObject{{u"range"_s, range}, {u"text"_s, text}}}}});
    };
    change(2, 4, 2, 3, QString());  // Print -> Prnt
    EXPECT_EQ(Messages(c.Published(main)), "4:0-20 Function 'prnt' not found;");
    change(3, 4, 2, 2, u"i"_s);
    EXPECT_EQ(Messages(c.Published(main)), "");

    // Queries: after the emoji, UTF-16 counts two units where UTF-8 has four bytes.
    EXPECT_EQ(Place(c.Request(u"textDocument/definition"_s, At(main, 3, 8))[u"result"_s]), "util.bb 0:9-13");
    EXPECT_EQ(Place(c.Request(u"textDocument/definition"_s, At(main, 4, 17))[u"result"_s]), "types.bb 1:11-15");
    std::vector<std::string> refs;
    for (const QJsonValue& r : c.Request(u"textDocument/references"_s, At(main, 3, 3))[u"result"_s].toArray())
        refs.push_back(Place(r));
    std::sort(refs.begin(), refs.end());
    EXPECT_EQ(refs, (std::vector<std::string>{"main.bb 3:14-16", "main.bb 3:2-4", "types.bb 1:7-9"}));

    // Rename: the same edits and refusals as F2.
    QJsonObject rename = At(main, 3, 3);
    rename.insert(u"newName"_s, u"health"_s);
    const QJsonObject edits = c.Request(u"textDocument/rename"_s, rename)[u"result"_s][u"changes"_s].toObject();
    std::vector<std::string> renamed;
    for (auto file = edits.begin(); file != edits.end(); ++file)
        for (const QJsonValue& e : file->toArray())
            renamed.push_back(QUrl(file.key()).fileName().toStdString() + " " + Span(e[u"range"_s]) + " " +
                              e[u"newText"_s].toString().toStdString());
    std::sort(renamed.begin(), renamed.end());
    EXPECT_EQ(renamed, (std::vector<std::string>{"main.bb 3:14-16 health", "main.bb 3:2-4 health", "types.bb 1:7-9 health"}));
    rename.insert(u"newName"_s, u"Name"_s);
    EXPECT_EQ(c.Request(u"textDocument/rename"_s, rename)[u"error"_s][u"message"_s].toString().left(26),
              u"Cannot rename field 'hp' t"_s);
    const QJsonObject prepared = c.Request(u"textDocument/prepareRename"_s, At(main, 3, 3));
    EXPECT_EQ(Span(prepared[u"result"_s][u"range"_s]), "3:2-4");
    EXPECT_EQ(c.Request(u"textDocument/prepareRename"_s, At(main, 4, 1))[u"error"_s][u"code"_s], -32803);

    // Completion after `p\` typed on a new last line; a blank typed opens the
    // types after New only, as typing does in the window.
    change(4, 5, 0, 0, u"p\\"_s);
    const auto completed = [&](int line, int character, bool afterBlank) {
        QJsonObject params = At(main, line, character);
        if (afterBlank)
            params.insert(u"context"_s, QJsonObject{{u"triggerKind"_s, 2}, {u"triggerCharacter"_s, u" "_s}});
        QStringList names;
        for (const QJsonValue& item : c.Request(u"textDocument/completion"_s, params)[u"result"_s][u"items"_s].toArray())
            names << item[u"label"_s].toString();
        return names;
    };
    EXPECT_EQ(completed(5, 2, false), (QStringList{u"hp"_s, u"name$"_s}));
    EXPECT_EQ(completed(2, 22, true), QStringList{u"Player"_s});
    EXPECT_EQ(completed(4, 6, true), QStringList());

    // The call being typed, and what a name is.
    const QJsonObject help = c.Request(u"textDocument/signatureHelp"_s, At(main, 3, 13))[u"result"_s].toObject();
    EXPECT_EQ(help[u"signatures"_s][0][u"label"_s], u"Heal amount"_s);
    EXPECT_EQ(help[u"activeParameter"_s], 0);
    EXPECT_EQ(c.Request(u"textDocument/hover"_s, At(main, 2, 8))[u"result"_s][u"contents"_s][u"value"_s],
              u"```blitzbasic\nGlobal p.Player = New Player\n```"_s);
    const QJsonArray outline = c.Request(u"textDocument/documentSymbol"_s,
                                         {{u"textDocument"_s, QJsonObject{{u"uri"_s, types}}}})[u"result"_s].toArray();
    ASSERT_EQ(outline.size(), 1);
    EXPECT_EQ(outline[0][u"name"_s], u"Player"_s);
    EXPECT_EQ(outline[0][u"children"_s].toArray().size(), 2);
    const QJsonArray found = c.Request(u"workspace/symbol"_s, {{u"query"_s, u"hea"_s}})[u"result"_s].toArray();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0][u"name"_s], u"Heal"_s);
    EXPECT_EQ(Place(found[0][u"location"_s]), "util.bb 0:9-13");
    // Coloured names after the emoji: a global, then a field, in UTF-16 units.
    const QJsonObject line4{{u"start"_s, Pos(4, 0)}, {u"end"_s, Pos(4, 99)}};
    const QJsonValue tokens = c.Request(u"textDocument/semanticTokens/range"_s,
                                        {{u"textDocument"_s, QJsonObject{{u"uri"_s, main}}}, {u"range"_s, line4}});
    EXPECT_EQ(QJsonDocument(tokens[u"result"_s][u"data"_s].toArray()).toJson(QJsonDocument::Compact),
              "[4,14,1,0,4,0,2,4,4,0]");

    EXPECT_TRUE(c.Request(u"shutdown"_s).contains(u"result"_s));
    c.Notify(u"exit"_s, {});
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
        EXPECT_EQ(error[u"error"_s][u"code"_s], row.code);
        // Still serving.
        EXPECT_TRUE(c.Request(u"workspace/symbol"_s, {{u"query"_s, u"x"_s}}).contains(u"result"_s));
        // Nothing of a message it did not take stays in memory.
        QFile status(u"/proc/%1/status"_s.arg(c.process().processId()));
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
    deaf.start(u"bash"_s, {u"-c"_s, u"\"$0\" --lsp | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}"_s,
                           QStringLiteral(OVREL_BUILD_DIR "/ovrel")});
    const QByteArray ask = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
    for (int i = 0; i < 50 && !deaf.waitForFinished(200); ++i)
        deaf.write("Content-Length: " + QByteArray::number(ask.size()) + "\r\n\r\n" + ask);
    EXPECT_EQ(deaf.state(), QProcess::NotRunning);
    EXPECT_EQ(deaf.exitCode(), 1);
}
