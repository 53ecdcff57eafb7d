#include "startup/SingleInstance.h"

#include "platform/PrivateFolder.h"
#include "startup/Layout.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <utility>

namespace {

constexpr int kConnectMs = 1000;
// Long enough for a program busy with a large file to get to the message.
constexpr int kAnswerMs = 5000;
constexpr qsizetype kMaxMessage = 1 << 20;
// A file manager opening a selection starts once for each file, all at once.
constexpr qsizetype kMaxDocuments = 1000;
constexpr qsizetype kMaxConnections = 64;
// A start sends its whole message at once and confirms at once.
constexpr qint64 kQuietMs = 3000;
constexpr int kSweepMs = 500;
const QByteArray kHeader = QByteArrayLiteral("ovrel-open ");
// The hand-off is all or nothing: the running program offers to take the
// files, and opens them only once the later start has confirmed; a start that
// gave up waiting for the offer never confirms and opens them itself.
const char kReady = '\x06';
const char kConfirm = '\x02';

// The message: the header, the number of files and a line end, then each
// path in UTF-8 ended by a NUL (a path may hold any other character).
QByteArray Encode(const QStringList& documents)
{
    QByteArray bytes = kHeader + QByteArray::number(documents.size()) + '\n';
    for (const QString& path : documents) {
        bytes += path.toUtf8();
        bytes += '\0';
    }
    return bytes;
}

enum class Received { Partial, Malformed, Whole };

Received Decode(const QByteArray& bytes, QStringList& documents)
{
    if (bytes.size() > kMaxMessage)
        return Received::Malformed;
    if (!bytes.startsWith(kHeader))
        return kHeader.startsWith(bytes) ? Received::Partial : Received::Malformed;
    const qsizetype lineEnd = bytes.indexOf('\n', kHeader.size());
    if (lineEnd < 0)
        return bytes.size() - kHeader.size() > 5 ? Received::Malformed : Received::Partial;
    bool ok = false;
    const qsizetype count = bytes.mid(kHeader.size(), lineEnd - kHeader.size()).toLongLong(&ok);
    if (!ok || count < 0 || count > kMaxDocuments)
        return Received::Malformed;
    documents.clear();
    qsizetype at = lineEnd + 1;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype end = bytes.indexOf('\0', at);
        if (end < 0)
            return Received::Partial;
        documents += QString::fromUtf8(bytes.mid(at, end - at));
        at = end + 1;
    }
    return at == bytes.size() ? Received::Whole : Received::Malformed;
}

bool Answers(const QString& name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(kConnectMs);
}

}  // namespace

QString InstanceServerName(const Layout& layout)
{
    const QFileInfo config(layout.configDir);
    const QString where = config.exists() ? config.canonicalFilePath() : config.absoluteFilePath();
    const QString name =
        QStringLiteral("ovrel-")
        + QString::fromLatin1(QCryptographicHash::hash(where.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
#ifdef Q_OS_UNIX
    const QString folder = privatefolder::SocketFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
#else
    return name;
#endif
}

bool HandToRunningInstance(const Layout& layout, const QStringList& documents)
{
    const QString name = InstanceServerName(layout);
    if (name.isEmpty() || documents.size() > kMaxDocuments)
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    // Root, for one, may enter every folder: what answers there may be
    // another user's program, which must not learn the names.
    if (!privatefolder::PeerIsThisUser(socket.socketDescriptor()))
        return false;
    socket.write(Encode(documents));
    socket.flush();
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(kAnswerMs))
            return false;
    }
    char answer = 0;
    if (!socket.getChar(&answer) || answer != kReady)
        return false;
    // Once the confirmation has left, the files are the running program's.
    socket.putChar(kConfirm);
    socket.flush();
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kConnectMs))
            return false;
    }
    return true;
}

InstanceServer::InstanceServer(const Layout& layout, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this))
{
    const QString name = InstanceServerName(layout);
    // Listening takes the name over, so first make sure nobody answers
    // there; a socket that is left is one a program ended without removing.
    if (!name.isEmpty() && !Answers(name)) {
        QLocalServer::removeServer(name);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        m_server->listen(name);
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::OnConnection);
    m_retry.setInterval(250);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &InstanceServer::PassOn);
    m_sweep.setInterval(kSweepMs);
    connect(&m_sweep, &QTimer::timeout, this, &InstanceServer::DropQuiet);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::isListening() const
{
    return m_server->isListening();
}

void InstanceServer::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Taken off the queue all the same, so that it costs nothing more.
        if (m_connections.size() >= kMaxConnections || !privatefolder::PeerIsThisUser(socket->socketDescriptor())) {
            Drop(socket);
            continue;
        }
        m_connections[socket].quiet.start();
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { OnDisconnected(socket); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        if (socket->bytesAvailable() > 0)
            OnReadable(socket);
    }
    if (!m_connections.isEmpty() && !m_sweep.isActive()) {
        m_lastSweep.start();
        m_sweep.start();
    }
}

void InstanceServer::OnReadable(QLocalSocket* socket)
{
    const auto connection = m_connections.find(socket);
    if (connection == m_connections.end())
        return;
    if (const qint64 received = socket->bytesAvailable(); received != connection->received) {
        connection->received = received;
        connection->quiet.restart();
    }
    if (connection->offered) {
        TakeConfirmed(socket);
        return;
    }
    // Nothing is taken from the socket until the whole message is there.
    QStringList documents;
    const QByteArray bytes = socket->peek(kMaxMessage + 1);
    switch (Decode(bytes, documents)) {
    case Received::Partial:
        return;
    case Received::Malformed:
        Drop(socket);
        return;
    case Received::Whole:
        break;
    }
    socket->read(bytes.size());
    connection->received = 0;
    connection->offered = documents;
    if (socket->state() == QLocalSocket::ConnectedState) {
        socket->putChar(kReady);
        socket->flush();
    }
}

void InstanceServer::TakeConfirmed(QLocalSocket* socket)
{
    char answer = 0;
    if (!socket->getChar(&answer))
        return;
    const QStringList documents = m_connections.value(socket).offered.value_or(QStringList());
    if (answer != kConfirm) {
        Drop(socket);
        return;
    }
    m_connections.remove(socket);
    socket->disconnectFromServer();
    if (QWidget* question = QApplication::activeModalWidget()) {
        question->raise();
        question->activateWindow();
    }
    m_waiting = m_waiting.value_or(QStringList()) + documents;
    PassOn();
}

void InstanceServer::OnDisconnected(QLocalSocket* socket)
{
    // A confirmation may arrive together with the end of the connection.
    if (m_connections.value(socket).offered && socket->bytesAvailable() > 0)
        TakeConfirmed(socket);
    m_connections.remove(socket);
    socket->deleteLater();
}

void InstanceServer::Drop(QLocalSocket* socket)
{
    m_connections.remove(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void InstanceServer::DropQuiet()
{
    // While the window was busy nothing was read: what arrived meanwhile
    // is waiting, and nobody is judged on that time.
    if (m_lastSweep.restart() > 2 * kSweepMs) {
        for (Connection& connection : m_connections)
            connection.quiet.restart();
        return;
    }
    QList<QLocalSocket*> quiet;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (it->quiet.hasExpired(kQuietMs))
            quiet << it.key();
    }
    for (QLocalSocket* socket : quiet)
        Drop(socket);
    if (m_connections.isEmpty())
        m_sweep.stop();
}

void InstanceServer::PassOn()
{
    if (!m_waiting)
        return;
    if (QApplication::activeModalWidget()) {
        m_retry.start();
        return;
    }
    Q_EMIT DocumentsHanded(*std::exchange(m_waiting, std::nullopt));
}
