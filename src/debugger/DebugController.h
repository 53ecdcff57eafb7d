#pragma once

#include "build/BuildController.h"
#include "debugger/DebugFiles.h"
#include "debugger/DebugSession.h"
#include "debugger/Variables.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class BuildHost;
class CallStackPane;
class CUILabels;
class DebugLogPane;
class VariablesPane;
class DocumentManager;
class EditCtrl;
class QTcpServer;
class QTcpSocket;
class QWidget;
struct CDoc;
struct Settings;

// Runs the program of a debug build under our debugger.dll and shows it in
// the window: breakpoints in the editor's margin, the statement a stopped
// program is at, its call stack and its DebugLog lines, runtime errors at
// their line. It listens on 127.0.0.1 for the one program it launched, which
// proves itself with a secret handed over in its environment.
class DebugController : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget& window;
        EditCtrl& editor;
        DocumentManager& docs;
        BuildController& build;
        BuildHost& host;
        const Settings& settings;
        const CUILabels& labels;
        QString programDir;  // holds debugger.dll
        QString stateDir;    // the folder debug runs compile in, the breakpoints' file
        std::function<void(const QString&)> setStatus;
    };
    explicit DebugController(Parts parts, QObject* parent = nullptr);
    ~DebugController() override;

    DebugLogPane& logPane() const { return *m_logPane; }
    CallStackPane& stackPane() const { return *m_stackPane; }
    VariablesPane& variablesPane() const { return *m_variables; }
    // Parts of a container of the stopped program, asked and answered at
    // once; nothing while it runs or when it does not answer.
    std::optional<VarPage> Ask(const std::string& ref, long long start, long long count);
    // The tooltip for the text under a point of the editor while stopped.
    QString HoverText(QPoint point);
    const DebugSession& session() const { return m_session; }

    // The commands, each doing nothing when it does not apply.
    void Do(DebugCommand command);
    // F9: the breakpoint on the caret's line of the document in the editor.
    void ToggleBreakpoint();
    void ToggleBreakpointAt(int line);
    // The breakpoints of the open documents as they stand after edits.
    void KeepBreakpoints();

    // A build with the debug switch on is about to start: the folder it
    // compiles in and what the program is told, or why it cannot start.
    DebugLaunch Prepare();

    // The debug folder's userlibs, wine's library folder; for tests.
    void SetWineLibDir(const QString& dir) { m_wineLibDir = dir; }

Q_SIGNALS:
    // Running, stopped, ended: which commands apply has changed.
    void StateChanged();
    // A runtime error held the program at a line of the document `docKey`
    // (line from 1, column in bytes from 0).
    void ErrorReported(const QString& docKey, int line, int column, const QString& message);
    // The program stopped and the window shows where.
    void StopShown();

private:
    void onNewConnection();
    void onReadable(QTcpSocket* socket);
    // Reads and handles what the program sent.
    void drain();
    void greeted(QTcpSocket* socket, const wire::Fields& hello);
    void handle(const wire::Fields& message);
    void send(const wire::Fields& message);
    void sendBreakpoints();
    void showStop();
    void showFrame(int frame, bool current);
    void endSession(const QString& why);
    void onBuildEnded(const QString& outcome, bool failed);
    void applyStoredBreakpoints(CDoc* doc);
    void keepBreakpointsOf(const CDoc& doc);
    QString statusOfStop();
    // The name of the file a key stands for, as the disk spells it.
    QString fileName(const std::string& key);

    Parts m_parts;
    DebugSession m_session;
    std::unique_ptr<QTcpServer> m_server;
    QPointer<QTcpSocket> m_socket;
    wire::Reader m_reader;
    BreakpointStore m_breakpoints;
    DebugLogPane* m_logPane;
    CallStackPane* m_stackPane;
    VariablesPane* m_variables;
    std::vector<wire::Fields> m_answers;
    // Asking for variables waits on the socket in the middle of filling the
    // panes; what else the program says meanwhile (its next state, its end)
    // waits until they are filled, or it would clear what is being filled.
    int m_asking = 0;
    std::deque<std::function<void()>> m_later;
    void later(std::function<void()> step);
    void runLater();
    // How the program spells its names, gathered from its documents.
    QHash<QString, QString> m_spelling;
    void gatherSpelling();
    QString m_wineLibDir = QStringLiteral("/usr/lib/wine");
    QHash<QString, QString> m_fileNames;
    // This build's program reached the debugger.
    bool m_ranConnected = false;
};
