#include "debugger/DebugController.h"

#include "build/BuildHost.h"
#include "build/CompilerCommand.h"
#include "build/CompilerOutput.h"
#include "debugger/DebugPanes.h"
#include "debugger/VariablesPane.h"
#include "debugger/wire/StopRules.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "platform/Paths.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QToolTip>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWidget>

#include <utility>

namespace {

// How long a connection may take to prove itself before it is dropped.
constexpr int kGreetingMs = 5000;
// A greeting is short; anything longer before its line end is no greeting.
constexpr qint64 kMostGreeting = 4096;

QString NewSecret()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    QString secret;
    for (const quint32 w : words)
        secret += QStringLiteral("%1").arg(w, 8, 16, QLatin1Char('0'));
    return secret;
}

}  // namespace

DebugController::DebugController(Parts parts, QObject* parent)
    : QObject(parent),
      m_parts(std::move(parts)),
      m_breakpoints(QDir(m_parts.stateDir).filePath(QStringLiteral("breakpoints.txt"))),
      m_logPane(new DebugLogPane),
      m_stackPane(new CallStackPane(m_parts.labels)),
      m_variables(new VariablesPane(m_parts.labels))
{
    m_variables->SetAsk([this](const std::string& ref, long long start, long long count) {
        return Ask(ref, start, count);
    });
    m_variables->SetSpelling([this](const std::string& lower) {
        const QString name = QString::fromStdString(lower);
        return m_spelling.value(name, name);
    });
    connect(&m_parts.editor, &EditCtrl::MouseDwell, this, [this](QPoint at) {
        const QString text = HoverText(at);
        if (!text.isEmpty())
            QToolTip::showText(m_parts.editor.mapToGlobal(at), text, &m_parts.editor);
    });
    m_breakpoints.Load();
    m_stackPane->SetNote(m_parts.labels.getValue(QStringLiteral("debugnotrunning")));
    connect(m_stackPane, &CallStackPane::FrameChosen, this, [this](int frame) {
        showFrame(frame, false);
        m_variables->Refresh(frame);
    });
    connect(&m_parts.build, &BuildController::BuildEnded, this, &DebugController::onBuildEnded);
    // The build has the status bar's last word on how it ended; a program
    // that ran under the debugger has ended, and the status says so after it.
    connect(&m_parts.build, &BuildController::BuildingChanged, this, [this](bool building) {
        if (!building && std::exchange(m_ranConnected, false))
            m_parts.setStatus(m_parts.labels.getValue(QStringLiteral("debugended")));
    });
    connect(&m_parts.docs, &DocumentManager::FileLoaded, this, &DebugController::applyStoredBreakpoints);
    connect(&m_parts.docs, &DocumentManager::FileSaved, this, [this] { KeepBreakpoints(); });
    connect(&m_parts.docs, &DocumentManager::DocClosing, this, [this](CDoc* doc) {
        // Closed without saving, its lines may no longer be the file's.
        if (doc && !doc->Modified)
            keepBreakpointsOf(*doc);
    });
    connect(&m_parts.editor, &EditCtrl::BreakpointClicked, this, &DebugController::ToggleBreakpointAt);
    m_parts.build.SetDebugLauncher([this] { return Prepare(); });
}

DebugController::~DebugController()
{
    m_parts.build.SetDebugLauncher({});
}

DebugLaunch DebugController::Prepare()
{
    KeepBreakpoints();
    if (m_socket)
        m_socket->abort();
    const CUILabels& labels = m_parts.labels;
    if (IsWindowsExecutable(CompilerPath(m_parts.settings.B3DBinDir())) && WineLacks32Bit(m_wineLibDir))
        return {.failure = labels.getValue(QStringLiteral("compilerno32bit"))};
    const DebugFolder folder =
        PrepareDebugFolder(QDir(m_parts.stateDir).filePath(QStringLiteral("debugger")), m_parts.settings.B3DRoot(),
                           QDir(m_parts.programDir).filePath(QStringLiteral("debugger.dll")));
    if (!folder.failure.isEmpty())
        return {.failure = labels.format(folder.failure, {folder.detail})};
    if (!m_server) {
        m_server = std::make_unique<QTcpServer>();
        connect(m_server.get(), &QTcpServer::newConnection, this, &DebugController::onNewConnection);
    }
    if (!m_server->isListening() && !m_server->listen(QHostAddress::LocalHost, 0))
        return {.failure = labels.format(QStringLiteral("debugnolisten"), {m_server->errorString()})};

    m_ranConnected = false;
    const QString secret = NewSecret();
    m_session.Launch(secret.toStdString());
    m_fileNames.clear();
    m_reader = wire::Reader();
    m_logPane->clear();
    m_logPane->AddNote(labels.getValue(QStringLiteral("debugstarting")));
    m_answers.clear();
    gatherSpelling();
    m_variables->Clear(labels.getValue(QStringLiteral("debugrunningnote")));
    m_stackPane->SetNote(labels.getValue(QStringLiteral("debugrunningnote")));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("OVREL_DEBUG_PORT"), QString::number(m_server->serverPort()));
    environment.insert(QStringLiteral("OVREL_DEBUG_SECRET"), secret);
    Q_EMIT StateChanged();
    return {folder.path, environment};
}

void DebugController::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (m_socket || m_session.State() != DebugState::Launching) {
            m_logPane->AddNote(m_parts.labels.getValue(QStringLiteral("debugrefused")));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket == m_socket)
                endSession(m_parts.labels.getValue(QStringLiteral("debugclosed")));
            socket->deleteLater();
        });
        QTimer::singleShot(kGreetingMs, socket, [this, socket] {
            if (socket != m_socket)
                socket->abort();
        });
    }
}

void DebugController::onReadable(QTcpSocket* socket)
{
    if (socket != m_socket) {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMostGreeting)
                greeted(socket, {});
            return;
        }
        wire::Reader first;
        first.Feed(socket->readLine(kMostGreeting + 1).toStdString());
        const std::vector<wire::Fields> hello = first.Take();
        greeted(socket, hello.empty() ? wire::Fields() : hello.front());
        if (socket != m_socket)
            return;
    }
    drain();
}

void DebugController::drain()
{
    const QByteArray bytes = m_socket ? m_socket->readAll() : QByteArray();
    if (!m_reader.Feed(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
        endSession(m_parts.labels.getValue(QStringLiteral("debugbadmessage")));
        return;
    }
    for (const wire::Fields& message : m_reader.Take()) {
        handle(message);
        if (!m_socket)
            break;
    }
}

void DebugController::greeted(QTcpSocket* socket, const wire::Fields& hello)
{
    if (!m_session.Accept(hello)) {
        m_logPane->AddNote(m_parts.labels.getValue(QStringLiteral("debugrefused")));
        socket->abort();
        return;
    }
    m_socket = socket;
    m_ranConnected = true;
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    sendBreakpoints();
    send({"start"});
    m_parts.setStatus(m_parts.labels.getValue(QStringLiteral("debugrunning")));
    Q_EMIT StateChanged();
}

void DebugController::handle(const wire::Fields& message)
{
    if (!message.empty() && message[0] == "vars") {
        m_answers.push_back(message);
        return;
    }
    if (m_asking > 0 || !m_later.empty()) {
        later([this, message] { handle(message); });
        return;
    }
    const DebugSession::Change change = m_session.Feed(message);
    for (const std::string& line : change.log)
        m_logPane->AddLine(QString::fromStdString(line));
    if (!change.state)
        return;
    if (m_session.Halted())
        showStop();
    else if (m_session.State() == DebugState::Ended)
        endSession(QString::fromStdString(m_session.EndText()));
    Q_EMIT StateChanged();
}

void DebugController::later(std::function<void()> step)
{
    m_later.push_back(std::move(step));
    if (m_asking == 0)
        QTimer::singleShot(0, this, &DebugController::runLater);
}

void DebugController::runLater()
{
    while (m_asking == 0 && !m_later.empty()) {
        const std::function<void()> step = std::move(m_later.front());
        m_later.pop_front();
        step();
    }
}

void DebugController::send(const wire::Fields& message)
{
    if (m_socket)
        m_socket->write(QByteArray::fromStdString(wire::Encode(message)));
}

void DebugController::sendBreakpoints()
{
    for (const auto& [path, lines] : m_breakpoints.All())
        for (const int line : lines)
            send({"break", wire::FileKey(path.toStdString()), std::to_string(line), "1"});
}

void DebugController::Do(DebugCommand command)
{
    const std::optional<wire::Fields> message = m_session.Command(command);
    if (!message)
        return;
    send(*message);
    if (m_session.State() == DebugState::Running) {
        m_parts.editor.ClearExecutionLine();
        m_stackPane->SetNote(m_parts.labels.getValue(QStringLiteral("debugrunningnote")));
        m_variables->Clear(m_parts.labels.getValue(QStringLiteral("debugrunningnote")));
        m_parts.setStatus(m_parts.labels.getValue(QStringLiteral("debugrunning")));
    }
    Q_EMIT StateChanged();
}

QString DebugController::fileName(const std::string& key)
{
    const QString k = QString::fromStdString(key);
    auto it = m_fileNames.find(k);
    if (it == m_fileNames.end()) {
        // The runtime names a file in lower case; the disk knows its name.
        const std::optional<QString> path = ReportedFileOnDisk(key);
        it = m_fileNames.insert(k, paths::FileNameOf(path ? *path : k));
    }
    return *it;
}

QString DebugController::statusOfStop()
{
    const std::vector<DebugFrame>& frames = m_session.Frames();
    if (frames.empty())
        return m_parts.labels.getValue(QStringLiteral("debugrunning"));
    const QString file = fileName(frames.front().file);
    QString status =
        m_parts.labels.format(QStringLiteral("debugstoppedat"), {file, QString::number(frames.front().line)});
    if (m_session.State() == DebugState::Faulted)
        status += QStringLiteral(": ") + QString::fromStdString(m_session.Error());
    return status;
}

void DebugController::showStop()
{
    std::vector<CallStackPane::Row> rows;
    for (const DebugFrame& f : m_session.Frames())
        rows.push_back({f.function.starts_with('<') ? QString::fromStdString(f.function)
                                                    : m_spelling.value(QString::fromStdString(f.function),
                                                                       QString::fromStdString(f.function)),
                        fileName(f.file), f.line});
    m_stackPane->SetRows(rows);
    QWidget& window = m_parts.window;
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.raise();
    window.activateWindow();
    showFrame(0, true);
    m_variables->Refresh(0);
    m_parts.setStatus(statusOfStop());
    Q_EMIT StopShown();
}

void DebugController::showFrame(int frame, bool current)
{
    const std::vector<DebugFrame>& frames = m_session.Frames();
    if (frame < 0 || std::size_t(frame) >= frames.size())
        return;
    const DebugFrame& f = frames[std::size_t(frame)];
    const std::optional<QString> path = ReportedFileOnDisk(f.file);
    if (!path) {
        m_parts.setStatus(m_parts.labels.format(QStringLiteral("notondisk"), {QString::fromStdString(f.file)}));
        return;
    }
    const std::optional<QString> docKey = m_parts.host.OpenDoc(*path);
    if (!docKey)
        return;
    m_parts.host.ShowDocAtLine(*docKey, f.line);
    if (!current) {
        m_parts.editor.FlashLine(f.line, 1);
        return;
    }
    m_parts.editor.SetExecutionLine(f.line);
    if (m_session.State() == DebugState::Faulted) {
        m_parts.host.MarkError(f.line, f.column);
        const QString message = QString::fromStdString(m_session.Error());
        Q_EMIT ErrorReported(*docKey, f.line, std::max(f.column - 1, 0), message);
    }
}

void DebugController::endSession(const QString& why)
{
    if (m_asking > 0) {
        later([this, why] { endSession(why); });
        return;
    }
    // What the ended program said after its end is not heard.
    m_later.clear();
    const DebugState was = m_session.State();
    if (was == DebugState::Idle)
        return;
    const bool connected = m_session.Connected() || was == DebugState::Ended;
    m_session.End(why.toStdString());
    m_session = DebugSession();
    if (m_socket) {
        QTcpSocket* socket = m_socket;
        m_socket = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (m_server)
        m_server->close();
    m_parts.editor.ClearExecutionLine();
    const QString ended = m_parts.labels.getValue(QStringLiteral("debugended"));
    m_stackPane->SetNote(ended);
    m_variables->Clear(ended);
    if (!why.isEmpty())
        m_logPane->AddNote(why);
    if (connected)
        m_parts.setStatus(ended);
    Q_EMIT StateChanged();
}

void DebugController::onBuildEnded(const QString& outcome, bool failed)
{
    if (m_session.State() == DebugState::Idle)
        return;
    if (m_session.State() == DebugState::Launching)
        endSession(failed ? outcome : m_parts.labels.getValue(QStringLiteral("debugnoconnect")));
    else
        endSession(m_session.State() == DebugState::Ended ? QString()
                                                          : m_parts.labels.getValue(QStringLiteral("debugclosed")));
}

void DebugController::ToggleBreakpoint()
{
    if (m_parts.docs.CurrentDoc())
        ToggleBreakpointAt(m_parts.editor.CaretPos().Line);
}

void DebugController::ToggleBreakpointAt(int line)
{
    const CDoc* doc = m_parts.docs.CurrentDoc();
    if (!doc)
        return;
    const bool on = !m_parts.editor.HasBreakpoint(line);
    m_parts.editor.SetBreakpoint(line, on);
    if (doc->FilePath.isEmpty())
        return;
    keepBreakpointsOf(*doc);
    if (m_session.Connected())
        send({"break", wire::FileKey(doc->FilePath.toStdString()), std::to_string(line), on ? "1" : "0"});
}

void DebugController::KeepBreakpoints()
{
    for (const CDocPtr& doc : m_parts.docs.Docs())
        keepBreakpointsOf(*doc);
}

void DebugController::keepBreakpointsOf(const CDoc& doc)
{
    if (!doc.FilePath.isEmpty() && doc.EditorState)
        m_breakpoints.SetLines(doc.FilePath, m_parts.editor.BufferBreakpoints(*doc.EditorState));
}

void DebugController::applyStoredBreakpoints(CDoc* doc)
{
    if (doc && !doc->FilePath.isEmpty() && m_parts.docs.CurrentDoc() == doc)
        m_parts.editor.SetBreakpoints(m_breakpoints.Lines(doc->FilePath));
}

std::optional<VarPage> DebugController::Ask(const std::string& ref, long long start, long long count)
{
    if (!m_socket || !m_session.Halted())
        return std::nullopt;
    send(VarRequest(ref, start, count));
    ++m_asking;
    const auto done = qScopeGuard([this] {
        if (--m_asking == 0 && !m_later.empty())
            QTimer::singleShot(0, this, &DebugController::runLater);
    });
    // The program answers at once (its reader thread reads while the
    // program stands); what else comes meanwhile takes its usual way.
    const QDeadlineTimer deadline(2000);
    while (m_socket) {
        for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
            if (it->size() >= 2 && (*it)[1] == ref) {
                const wire::Fields answer = std::move(*it);
                m_answers.erase(it);
                return ReadVarPage(answer);
            }
        }
        // Asked from within a read (at a stop), the socket says nothing of
        // what comes: it is read here.
        if (deadline.hasExpired() || !m_socket->waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1))))
            break;
        drain();
    }
    return std::nullopt;
}

QString DebugController::HoverText(QPoint point)
{
    if (!m_session.Halted())
        return {};
    const std::optional<CaretPosition> at = m_parts.editor.PositionAt(point);
    if (!at)
        return {};
    // The name under the mouse with the fields it is part of ("p\x").
    const QString line = QString::fromUtf8(m_parts.editor.LineText(at->Line));
    static const QRegularExpression path(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*[%#$]?(\\\\[A-Za-z_][A-Za-z0-9_]*[%#$]?)*"));
    const int column = int(QString::fromUtf8(m_parts.editor.LineText(at->Line).left(at->Column)).size());
    for (auto matches = path.globalMatch(line); matches.hasNext();) {
        const QRegularExpressionMatch m = matches.next();
        if (m.capturedStart() <= column && column < m.capturedEnd()) {
            // Up to the part under the mouse: over "p" of "p\x", p itself.
            const qsizetype end = line.indexOf(u'\\', column);
            const QString expression = line.mid(m.capturedStart(),
                                                (end < 0 || end > m.capturedEnd() ? m.capturedEnd() : end) - m.capturedStart());
            return m_variables->Evaluate(expression, m_stackPane->SelectedFrame(), true);
        }
    }
    return {};
}

void DebugController::gatherSpelling()
{
    m_spelling.clear();
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    for (const CDocPtr& doc : m_parts.docs.Docs()) {
        if (doc->DocKeywords)
            for (const EditorKeywordPtr& entry : doc->DocKeywords->Entries()) {
                const QString name = QString::fromStdString(entry->Name);
                const QRegularExpressionMatch m = word.match(name);
                if (m.hasMatch() && m.capturedStart() == 0)
                    m_spelling.insert(m.captured().toLower(), m.captured());
            }
    }
    // Names the declaration lists do not hold (fields among them), as the
    // text first writes them.
    for (const CDocPtr& doc : m_parts.docs.Docs()) {
        if (!doc->EditorState)
            continue;
        const QString text = QString::fromUtf8(m_parts.editor.BufferText(*doc->EditorState));
        for (auto matches = word.globalMatch(text); matches.hasNext();) {
            const QString w = matches.next().captured();
            const QString lower = w.toLower();
            if (!m_spelling.contains(lower))
                m_spelling.insert(lower, w);
        }
    }
}
