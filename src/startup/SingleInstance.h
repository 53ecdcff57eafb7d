#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class QLocalServer;
class QLocalSocket;
struct Layout;

// One running program per prefs.ini: a later start hands the files it was
// given to the running one, which opens them as tabs and comes to the front,
// instead of a second window writing the same prefs.ini.

// The name the running program listens under, made from where its prefs.ini
// lives, so that two portable copies (or tests, each on its own program
// directory) never reach each other. It lies in a folder only this user may
// enter, so nobody else can listen there first; "" when there is no such
// folder, and then every start has a window of its own.
QString InstanceServerName(const Layout& layout);

// Hands `documents` (absolute paths) to the program running for `layout`.
// True once it has taken them; false when none answers in time, when the one
// answering runs as another user, or when there are more files than one
// start hands over: this start then goes on by itself, and the running
// program never opens them.
bool HandToRunningInstance(const Layout& layout, const QStringList& documents);

// Listens for later starts of the same user and passes on the files they
// hand over. While a question is open (a message, a dialog) that question
// comes to the front and the files wait until it is answered, so that
// nothing changes under it. Whatever connects can cost only so much: a
// bounded number of connections, each dropped once it has kept quiet for a
// few seconds.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(const Layout& layout, QObject* parent = nullptr);
    ~InstanceServer() override;

    // False when another program already answers under the name.
    bool isListening() const;

Q_SIGNALS:
    // Also with no files: the start only asked to see the program.
    void DocumentsHanded(const QStringList& documents);

private:
    struct Connection {
        QElapsedTimer quiet;  // since the last byte arrived
        qint64 received = 0;
        // Files offered to be taken, until their start confirms or goes away.
        std::optional<QStringList> offered;
    };

    void OnConnection();
    void OnReadable(QLocalSocket* socket);
    void TakeConfirmed(QLocalSocket* socket);
    void OnDisconnected(QLocalSocket* socket);
    void Drop(QLocalSocket* socket);
    void DropQuiet();
    void PassOn();

    QLocalServer* m_server;
    QHash<QLocalSocket*, Connection> m_connections;
    std::optional<QStringList> m_waiting;
    QTimer m_retry;
    QTimer m_sweep;
    QElapsedTimer m_lastSweep;
};
