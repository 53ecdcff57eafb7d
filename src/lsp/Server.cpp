#include "lsp/Server.h"

#include "model/ProgramHost.h"
#include "language/Program.h"
#include "lsp/Message.h"

#include <QDir>
#include <QJsonDocument>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <iostream>

namespace lsp {

namespace {

// A long check goes in slices this long, with the client's messages read
// between them: an edit typed meanwhile starts it again rather than wait.
constexpr std::chrono::milliseconds kSlice{10};

std::optional<Position> PositionOf(const QJsonValue& v)
{
    const QJsonObject o = v.toObject();
    if (!o.value(QLatin1String("line")).isDouble() || !o.value(QLatin1String("character")).isDouble())
        return std::nullopt;
    const double line = o.value(QLatin1String("line")).toDouble(), character = o.value(QLatin1String("character")).toDouble();
    if (line < 0 || character < 0 || line > 4e9 || character > 4e9)
        return std::nullopt;
    return Position{std::uint32_t(line), std::uint32_t(character)};
}

}  // namespace

Server::Server(LoadSetup loadSetup, Send send, QObject* parent)
    : QObject(parent), m_loadSetup(std::move(loadSetup)), m_send(std::move(send))
{
    m_check.setSingleShot(true);
    m_check.setInterval(0);
    connect(&m_check, &QTimer::timeout, this, &Server::CheckStep);
}

Server::~Server() = default;

// --- Messages -----------------------------------------------------------------

void Server::SendMessage(const QJsonObject& message)
{
    QJsonObject m = message;
    m.insert(QLatin1String("jsonrpc"), QLatin1String("2.0"));
    m_send(QJsonDocument(m).toJson(QJsonDocument::Compact));
}

void Server::SendReply(const QJsonValue& id, const Reply& reply)
{
    QJsonObject m{{QLatin1String("id"), id}};
    if (reply.code != 0)
        m.insert(QLatin1String("error"), QJsonObject{{QLatin1String("code"), reply.code},
                                                     {QLatin1String("message"), reply.message}});
    else
        m.insert(QLatin1String("result"), reply.result);
    SendMessage(m);
}

void Server::Reject(int code, const QString& why)
{
    std::cerr << "ovrel --lsp: " << why.toStdString() << '\n';
    SendReply(QJsonValue::Null, Reply::Error(code, why));
}

void Server::Receive(const QByteArray& body)
{
    QJsonParseError error;
    const std::optional<Message> decoded = Message::Decode(body, &error);
    if (!decoded) {
        Reject(kParseError, QStringLiteral("Parse error: %1 at byte %2").arg(error.errorString()).arg(error.offset));
        return;
    }
    const QJsonObject& message = decoded->Object();
    const QJsonValue method = message.value(QLatin1String("method"));
    const QJsonValue id = message.value(QLatin1String("id"));
    const bool hasId = message.contains(QLatin1String("id"));
    if (!decoded->IsObject() || (hasId && !id.isDouble() && !id.isString()) || (!method.isString() && !hasId)) {
        Reject(kInvalidRequest, QStringLiteral("Invalid request: not a JSON-RPC request or notification"));
        return;
    }
    if (!method.isString())
        return;  // a response: the server asks the client nothing it waits for
    m_message = &*decoded;
    const QJsonObject params = message.value(QLatin1String("params")).toObject();
    if (hasId)
        Request(id, method.toString(), params);
    else
        Notify(method.toString(), params);
    m_message = nullptr;
}

void Server::Request(const QJsonValue& id, const QString& method, const QJsonObject& params)
{
    if (method == QLatin1String("initialize")) {
        SendReply(id, m_initialized ? Reply::Error(kInvalidRequest, QStringLiteral("initialize was already sent"))
                                    : Initialize(params));
        return;
    }
    if (!m_initialized) {
        SendReply(id, Reply::Error(kServerNotInitialized, QStringLiteral("initialize must come first")));
        return;
    }
    if (m_shutDown) {
        SendReply(id, Reply::Error(kInvalidRequest, QStringLiteral("the server is shutting down")));
        return;
    }
    if (method == QLatin1String("shutdown")) {
        m_shutDown = true;
        m_check.stop();
        SendReply(id, {});
        return;
    }
    if (method == QLatin1String("workspace/symbol")) {
        SendReply(id, WorkspaceSymbols(params.value(QLatin1String("query")).toString()));
        return;
    }
    static const QStringList kOnPlaces = {
        QStringLiteral("textDocument/definition"),    QStringLiteral("textDocument/references"),
        QStringLiteral("textDocument/prepareRename"), QStringLiteral("textDocument/rename"),
        QStringLiteral("textDocument/completion"),    QStringLiteral("textDocument/signatureHelp"),
        QStringLiteral("textDocument/hover")};
    static const QStringList kOnDocuments = {QStringLiteral("textDocument/documentSymbol"),
                                             QStringLiteral("textDocument/semanticTokens/full"),
                                             QStringLiteral("textDocument/semanticTokens/range")};
    Reply reply;
    if (kOnPlaces.contains(method)) {
        const std::optional<Place> at = PlaceOf(params, reply);
        if (!at)
            reply = reply.code ? reply : Reply::Error(kInvalidParams, QStringLiteral("no textDocument or position"));
        else if (method == QLatin1String("textDocument/definition"))
            reply = Definition(*at);
        else if (method == QLatin1String("textDocument/references"))
            reply = References(*at, params);
        else if (method == QLatin1String("textDocument/prepareRename"))
            reply = PrepareRename(*at);
        else if (method == QLatin1String("textDocument/rename"))
            reply = Rename(*at, params.value(QLatin1String("newName")).toString());
        else if (method == QLatin1String("textDocument/completion"))
            reply = Completion(*at, params);
        else if (method == QLatin1String("textDocument/signatureHelp"))
            reply = SignatureHelp(*at);
        else
            reply = Hover(*at);
    } else if (kOnDocuments.contains(method)) {
        QJsonObject whole = params;
        whole.insert(QLatin1String("position"), QJsonObject{{QLatin1String("line"), 0}, {QLatin1String("character"), 0}});
        const std::optional<Place> at = PlaceOf(whole, reply);
        if (!at)
            reply = reply.code ? reply : Reply::Error(kInvalidParams, QStringLiteral("no textDocument"));
        else if (method == QLatin1String("textDocument/documentSymbol"))
            reply = DocumentSymbols(at->key, *at->program);
        else if (method == QLatin1String("textDocument/semanticTokens/full"))
            reply = SemanticTokens(at->key, *at->program, 0, ~0u);
        else {
            const QJsonObject range = params.value(QLatin1String("range")).toObject();
            const auto from = PositionOf(range.value(QLatin1String("start")));
            const auto to = PositionOf(range.value(QLatin1String("end")));
            reply = from && to ? SemanticTokens(at->key, *at->program, from->line, to->line + 1)
                               : Reply::Error(kInvalidParams, QStringLiteral("no range"));
        }
    } else {
        reply = Reply::Error(kMethodNotFound, QStringLiteral("Unhandled method %1").arg(method));
    }
    SendReply(id, reply);
}

void Server::Notify(const QString& method, const QJsonObject& params)
{
    if (method == QLatin1String("exit")) {
        Q_EMIT Exited(ExitCode());
        return;
    }
    if (!m_initialized || m_shutDown)
        return;
    if (method == QLatin1String("textDocument/didOpen"))
        DidOpen(params);
    else if (method == QLatin1String("textDocument/didChange"))
        DidChange(params);
    else if (method == QLatin1String("textDocument/didClose"))
        DidClose(params);
    else if (method == QLatin1String("textDocument/didSave") || method == QLatin1String("workspace/didChangeWatchedFiles"))
        DidChangeWatchedFiles(params);
    // Anything else ($/cancelRequest, initialized, settings) asks nothing of us.
}

Server::Reply Server::Initialize(const QJsonObject& params)
{
    const QJsonObject options = params.value(QLatin1String("initializationOptions")).toObject();
    m_setup = m_loadSetup(options.value(QLatin1String("blitzpath")).toString());
    m_host = std::make_unique<ProgramHost>([this](const QString& path) {
        const auto it = m_docs.find(ProgramHost::KeyOf(path));
        return it == m_docs.end() ? QByteArray() : it->second.text.Text();
    }, m_setup.prefsPath);
    m_host->SetLabels(m_setup.labels);
    if (m_setup.commands)
        m_host->SetVocabulary(ProgramHost::VocabularyOf(*m_setup.commands));
    connect(m_host.get(), &ProgramHost::ProgramChanged, this, &Server::ScheduleCheck);
    connect(m_host.get(), &ProgramHost::MainFilesChanged, this, &Server::ScheduleCheck);

    // Bytes of UTF-8 are the model's own columns: taken when the client offers them.
    const QJsonArray offered = params.value(QLatin1String("capabilities")).toObject().value(QLatin1String("general"))
                                   .toObject().value(QLatin1String("positionEncodings")).toArray();
    m_encoding = Encoding::Utf16;
    if (offered.contains(QLatin1String("utf-8")))
        m_encoding = Encoding::Utf8;
    else if (offered.contains(QLatin1String("utf-32")) && !offered.contains(QLatin1String("utf-16")))
        m_encoding = Encoding::Utf32;
    const QString encoding = m_encoding == Encoding::Utf8    ? QStringLiteral("utf-8")
                             : m_encoding == Encoding::Utf32 ? QStringLiteral("utf-32")
                                                             : QStringLiteral("utf-16");
    m_initialized = true;

    const QJsonArray tokenTypes = {QStringLiteral("variable"), QStringLiteral("parameter"), QStringLiteral("function"),
                                   QStringLiteral("type"),     QStringLiteral("property"),  QStringLiteral("label")};
    const QJsonArray tokenModifiers = {QStringLiteral("declaration"), QStringLiteral("readonly"), QStringLiteral("static")};
    const QJsonObject capabilities{
        {QLatin1String("positionEncoding"), encoding},
        {QLatin1String("textDocumentSync"),
         QJsonObject{{QLatin1String("openClose"), true}, {QLatin1String("change"), 2},
                     {QLatin1String("save"), QJsonObject{{QLatin1String("includeText"), false}}}}},
        {QLatin1String("definitionProvider"), true},
        {QLatin1String("referencesProvider"), true},
        {QLatin1String("renameProvider"), QJsonObject{{QLatin1String("prepareProvider"), true}}},
        {QLatin1String("documentSymbolProvider"), true},
        {QLatin1String("workspaceSymbolProvider"), true},
        {QLatin1String("completionProvider"),
         QJsonObject{{QLatin1String("triggerCharacters"), QJsonArray{QStringLiteral("\\"), QStringLiteral("."), QStringLiteral(" ")}}}},
        {QLatin1String("signatureHelpProvider"),
         QJsonObject{{QLatin1String("triggerCharacters"), QJsonArray{QStringLiteral("("), QStringLiteral(","), QStringLiteral(" ")}}}},
        {QLatin1String("hoverProvider"), true},
        {QLatin1String("semanticTokensProvider"),
         QJsonObject{{QLatin1String("legend"), QJsonObject{{QLatin1String("tokenTypes"), tokenTypes},
                                                           {QLatin1String("tokenModifiers"), tokenModifiers}}},
                     {QLatin1String("full"), true},
                     {QLatin1String("range"), true}}},
    };
    return {QJsonObject{{QLatin1String("capabilities"), capabilities},
                        {QLatin1String("serverInfo"), QJsonObject{{QLatin1String("name"), QStringLiteral("ovrel")}}}}};
}

// --- Documents ----------------------------------------------------------------

QString Server::PathOfUri(const QString& uri)
{
    const QUrl url(uri);
    if (url.isLocalFile())
        return QDir::cleanPath(url.toLocalFile());
    // A document with no file: its includes name no file either.
    return ProgramHost::UnsavedPath(uri);
}

void Server::DidOpen(const QJsonObject& params)
{
    const QJsonObject doc = params.value(QLatin1String("textDocument")).toObject();
    const QString uri = doc.value(QLatin1String("uri")).toString();
    if (uri.isEmpty())
        return;
    const QString path = PathOfUri(uri);
    const std::string key = ProgramHost::KeyOf(path);
    m_docs[key] = {uri, path, DocumentText(m_message->Text(doc.value(QLatin1String("text")))),
                   doc.value(QLatin1String("version")).toInt()};
    m_touched.insert(key);
    m_host->DocumentOpened(path);
    ScheduleCheck();
}

void Server::DidChange(const QJsonObject& params)
{
    const QJsonObject doc = params.value(QLatin1String("textDocument")).toObject();
    const std::string key = ProgramHost::KeyOf(PathOfUri(doc.value(QLatin1String("uri")).toString()));
    const auto it = m_docs.find(key);
    if (it == m_docs.end())
        return;
    OpenDoc& open = it->second;
    open.version = doc.value(QLatin1String("version")).toInt(open.version);
    for (const QJsonValue& change : params.value(QLatin1String("contentChanges")).toArray()) {
        const QJsonObject c = change.toObject();
        const QByteArray text = m_message->Text(c.value(QLatin1String("text")));
        const QJsonObject range = c.value(QLatin1String("range")).toObject();
        const auto from = PositionOf(range.value(QLatin1String("start")));
        const auto to = PositionOf(range.value(QLatin1String("end")));
        if (!from || !to) {
            open.text = DocumentText(text);
            m_host->DocumentOpened(open.path);
            continue;
        }
        const LineEdit edit = open.text.Replace(*from, *to, std::string_view(text.constData(), std::size_t(text.size())),
                                                m_encoding);
        m_host->DocumentEdited(open.path, edit.first, edit.oldCount, open.text.Lines(edit), edit.newCount);
    }
    m_touched.insert(key);
    ScheduleCheck();
}

void Server::DidClose(const QJsonObject& params)
{
    const QString path = PathOfUri(params.value(QLatin1String("textDocument")).toObject().value(QLatin1String("uri")).toString());
    if (m_docs.erase(ProgramHost::KeyOf(path))) {
        m_host->DocumentClosed(path);
        ScheduleCheck();
    }
}

void Server::DidChangeWatchedFiles(const QJsonObject& params)
{
    // The disk's copy of a file that is not open may be new: read it again.
    QJsonArray changes = params.value(QLatin1String("changes")).toArray();
    if (params.contains(QLatin1String("textDocument")))
        changes.append(params.value(QLatin1String("textDocument")));
    for (const QJsonValue& change : changes)
        m_host->FileWritten(PathOfUri(change.toObject().value(QLatin1String("uri")).toString()));
    ScheduleCheck();
}

// --- Diagnostics ----------------------------------------------------------------

std::vector<lang::Program*> Server::Programs()
{
    std::vector<lang::Program*> programs;
    for (auto& [key, doc] : m_docs) {
        lang::Program* p = &m_host->ProgramOf(doc.path);
        if (std::find(programs.begin(), programs.end(), p) == programs.end())
            programs.push_back(p);
    }
    return programs;
}

void Server::ScheduleCheck()
{
    if (!m_shutDown)
        m_check.start();
}

void Server::CheckStep()
{
    bool done = true;
    for (lang::Program* p : Programs())
        done = p->Check(kSlice) && done;
    if (!done) {
        m_check.start();
        return;
    }
    Publish();
}

void Server::Publish()
{
    std::map<std::string, QJsonArray> now;
    std::set<std::tuple<std::string, std::uint32_t, std::uint32_t, std::string>> seen;
    for (lang::Program* p : Programs()) {
        for (const lang::Diagnostic& d : p->Diagnostics()) {
            const bool warning = d.warning != lang::WarningKind::None;
            if ((warning && !(m_setup.warnings & (1u << unsigned(d.warning)))) ||
                !seen.insert({d.file, d.row, d.col, d.message}).second)
                continue;
            now[d.file].append(QJsonObject{
                {QLatin1String("range"), RangeJson(d.file, d.row, d.col, std::max(d.endCol, d.col))},
                {QLatin1String("severity"), warning ? 2 : 1},
                {QLatin1String("source"), QStringLiteral("ovrel")},
                {QLatin1String("message"), QString::fromStdString(d.message)}});
        }
    }
    std::set<std::string> files = m_touched;
    for (const auto& [key, list] : now)
        files.insert(key);
    for (const auto& [key, list] : m_published)
        files.insert(key);
    for (const std::string& key : files) {
        const auto was = m_published.find(key);
        const QJsonArray list = now.count(key) ? now[key] : QJsonArray();
        if (!m_touched.count(key) && was != m_published.end() && was->second == list)
            continue;
        QJsonObject params{{QLatin1String("uri"), UriOf(key)}, {QLatin1String("diagnostics"), list}};
        if (const auto doc = m_docs.find(key); doc != m_docs.end())
            params.insert(QLatin1String("version"), doc->second.version);
        SendMessage({{QLatin1String("method"), QStringLiteral("textDocument/publishDiagnostics")},
                     {QLatin1String("params"), params}});
    }
    m_published = std::move(now);
    m_touched.clear();
    Q_EMIT Published();
}

// --- Places -------------------------------------------------------------------

QString Server::UriOf(const std::string& key) const
{
    if (const auto doc = m_docs.find(key); doc != m_docs.end())
        return doc->second.uri;
    return QUrl::fromLocalFile(m_host->PathOf(key)).toString(QUrl::FullyEncoded);
}

std::string Server::LineText(const std::string& key, std::uint32_t row) const
{
    if (const auto doc = m_docs.find(key); doc != m_docs.end())
        return std::string(doc->second.text.Line(row));
    return m_host->LineText(key, row);
}

QJsonObject Server::PositionJson(const std::string& key, std::uint32_t row, std::uint32_t col) const
{
    return {{QLatin1String("line"), qint64(row)},
            {QLatin1String("character"), qint64(UnitColumn(LineText(key, row), col, m_encoding))}};
}

QJsonObject Server::RangeJson(const std::string& key, std::uint32_t row, std::uint32_t col, std::uint32_t endCol) const
{
    const std::string line = LineText(key, row);
    const auto at = [&](std::uint32_t c) {
        return QJsonObject{{QLatin1String("line"), qint64(row)},
                           {QLatin1String("character"), qint64(UnitColumn(line, c, m_encoding))}};
    };
    return {{QLatin1String("start"), at(col)}, {QLatin1String("end"), at(endCol)}};
}

QJsonObject Server::LocationJson(const std::string& key, std::uint32_t row, std::uint32_t col, std::uint32_t endCol) const
{
    return {{QLatin1String("uri"), UriOf(key)}, {QLatin1String("range"), RangeJson(key, row, col, endCol)}};
}

lang::Program* Server::ProgramHolding(const std::string& key, const QString& path)
{
    if (m_docs.count(key))
        return &m_host->ProgramOf(path);
    for (lang::Program* p : Programs()) {
        const std::vector<std::string> files = p->Files();
        if (std::find(files.begin(), files.end(), key) != files.end())
            return p;
    }
    return nullptr;
}

std::optional<Server::Place> Server::PlaceOf(const QJsonObject& params, Reply& error)
{
    const QString uri = params.value(QLatin1String("textDocument")).toObject().value(QLatin1String("uri")).toString();
    const std::optional<Position> position = PositionOf(params.value(QLatin1String("position")));
    if (uri.isEmpty() || !position)
        return std::nullopt;
    const QString path = PathOfUri(uri);
    Place at;
    at.key = ProgramHost::KeyOf(path);
    at.program = ProgramHolding(at.key, path);
    if (!at.program) {
        error = Reply::Error(kRequestFailed, QStringLiteral("%1 is not open, and no open program includes it").arg(uri));
        return std::nullopt;
    }
    at.row = position->line;
    at.col = ByteColumn(LineText(at.key, at.row), position->character, m_encoding);
    return at;
}

}  // namespace lsp
