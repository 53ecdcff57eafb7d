#pragma once

#include "editor/Keywords.h"
#include "lsp/Positions.h"
#include "startup/Labels.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class ProgramHost;
namespace lang {
class Program;
}
namespace lsp {
class Message;
}

// The language server: the program model, its checker and the window's
// navigation and code assistance, answered over the Language Server
// Protocol (3.17) to any editor. It holds the open documents' texts, hands
// them and their edits to the same host of program models the window uses
// (which reads the other files of each program from disk and watches them),
// pushes every program's diagnostics after each change, and answers
// requests from the same queries as the window.
namespace lsp {

// What the server takes from the user's Ovrel settings.
struct ServerSetup {
    QString prefsPath;  // the main files chosen with Set as Main File
    CUILabels labels;
    EditorKeywordListPtr commands;  // with their syntax
    QString helpDir;
    unsigned warnings = ~0u;  // the kinds shown, bit 1 << lang::WarningKind
    char commentChar = ';', stringChar = '"';
};

// JSON-RPC's and the protocol's error codes.
enum ErrorCode {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kServerNotInitialized = -32002,
    kRequestFailed = -32803,
};

class Server : public QObject {
    Q_OBJECT
public:
    // The setup for the Blitz3D folder the client names ("" for the settings' own).
    using LoadSetup = std::function<ServerSetup(const QString& blitzPath)>;
    // A message's body to send.
    using Send = std::function<void(const QByteArray& body)>;

    Server(LoadSetup loadSetup, Send send, QObject* parent = nullptr);
    ~Server() override;

    // One message as it came.
    void Receive(const QByteArray& body);
    // A message that could not be read at all: an error without an id.
    void Reject(int code, const QString& why);

    // What the process ends with once the client is gone: 0 after a shutdown.
    int ExitCode() const { return m_shutDown ? 0 : 1; }

Q_SIGNALS:
    // The client said exit.
    void Exited(int code);
    // Diagnostics were sent for every program: tests and benchmarks wait on it.
    void Published();

private:
    struct Reply {
        Reply() = default;
        Reply(QJsonValue r) : result(std::move(r)) {}
        static Reply Error(int code, QString message)
        {
            Reply r;
            r.code = code;
            r.message = std::move(message);
            return r;
        }
        QJsonValue result;
        int code = 0;  // an error when not 0
        QString message;
    };
    struct OpenDoc {
        QString uri, path;
        DocumentText text;
        int version = 0;
    };
    // A place a request names, in the model's terms.
    struct Place {
        std::string key;
        std::uint32_t row = 0, col = 0;
        lang::Program* program = nullptr;
    };

    void Request(const QJsonValue& id, const QString& method, const QJsonObject& params);
    void Notify(const QString& method, const QJsonObject& params);
    void SendMessage(const QJsonObject& message);
    void SendReply(const QJsonValue& id, const Reply& reply);

    Reply Initialize(const QJsonObject& params);
    void DidOpen(const QJsonObject& params);
    void DidChange(const QJsonObject& params);
    void DidClose(const QJsonObject& params);
    void DidChangeWatchedFiles(const QJsonObject& params);

    // Diagnostics: the programs are checked a slice at a time, input read in
    // between, and every file's sent once all are done.
    void ScheduleCheck();
    void CheckStep();
    void Publish();
    std::vector<lang::Program*> Programs();

    // Places and texts.
    static QString PathOfUri(const QString& uri);
    QString UriOf(const std::string& key) const;
    std::string LineText(const std::string& key, std::uint32_t row) const;
    QJsonObject PositionJson(const std::string& key, std::uint32_t row, std::uint32_t col) const;
    QJsonObject RangeJson(const std::string& key, std::uint32_t row, std::uint32_t col, std::uint32_t endCol) const;
    QJsonObject LocationJson(const std::string& key, std::uint32_t row, std::uint32_t col, std::uint32_t endCol) const;
    std::optional<Place> PlaceOf(const QJsonObject& params, Reply& error);
    lang::Program* ProgramHolding(const std::string& key, const QString& path);

    // The requests on a place (Answers.cpp).
    Reply Definition(const Place& at);
    Reply References(const Place& at, const QJsonObject& params);
    Reply PrepareRename(const Place& at);
    Reply Rename(const Place& at, const QString& newName);
    Reply Completion(const Place& at, const QJsonObject& params);
    Reply SignatureHelp(const Place& at);
    Reply Hover(const Place& at);
    Reply DocumentSymbols(const std::string& key, lang::Program& program);
    Reply WorkspaceSymbols(const QString& query);
    Reply SemanticTokens(const std::string& key, lang::Program& program, std::uint32_t first, std::uint32_t end);

    const Message* m_message = nullptr;  // the one being handled
    LoadSetup m_loadSetup;
    Send m_send;
    ServerSetup m_setup;
    std::unique_ptr<ProgramHost> m_host;
    Encoding m_encoding = Encoding::Utf16;
    bool m_initialized = false, m_shutDown = false;
    std::map<std::string, OpenDoc> m_docs;  // by model key
    QTimer m_check;
    // What was last sent for each file (by key), and the files whose
    // diagnostics are sent again whatever they hold: those just edited.
    std::map<std::string, QJsonArray> m_published;
    std::set<std::string> m_touched;
};

}  // namespace lsp
