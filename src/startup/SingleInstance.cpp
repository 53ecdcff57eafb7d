#include "startup/SingleInstance.h"

#include "platform/UserFolders.h"
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
constexpr qsizetype kMaxDocuments = 10000;
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

}  // namespace

QString InstanceServerName(const Layout& layout)
{
    // The home folder joins in because without a runtime folder the socket
    // lies in the shared temporary folder, where another user's copy of the
    // same portable folder would have the same name.
    const QFileInfo config(layout.configDir);
    const QString where = config.exists() ? config.canonicalFilePath() : config.absoluteFilePath();
    const QByteArray key = (QDir::homePath() + u'\n' + where).toUtf8();
    const QString name = QStringLiteral("ovrel-")
                         + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    const QString runtime = userfolders::RuntimeDir();
    return runtime.isEmpty() ? name : QDir(runtime).filePath(name);
}

bool HandToRunningInstance(const Layout& layout, const QStringList& documents)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName(layout));
    if (!socket.waitForConnected(kConnectMs))
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
    QLocalSocket probe;
    probe.connectToServer(name);
    if (!probe.waitForConnected(kConnectMs)) {
        QLocalServer::removeServer(name);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        m_server->listen(name);
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::OnConnection);
    m_retry.setInterval(250);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &InstanceServer::PassOn);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::isListening() const
{
    return m_server->isListening();
}

void InstanceServer::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { OnDisconnected(socket); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        if (socket->bytesAvailable() > 0)
            OnReadable(socket);
    }
}

void InstanceServer::OnReadable(QLocalSocket* socket)
{
    if (m_offered.contains(socket)) {
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
        socket->abort();
        return;
    case Received::Whole:
        break;
    }
    socket->read(bytes.size());
    m_offered.insert(socket, documents);
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
    const QStringList documents = m_offered.take(socket);
    if (answer != kConfirm) {
        socket->abort();
        return;
    }
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
    if (m_offered.contains(socket) && socket->bytesAvailable() > 0)
        TakeConfirmed(socket);
    m_offered.remove(socket);
    socket->deleteLater();
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
