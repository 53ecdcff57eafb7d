// Another user's side of the single-instance hand-off, for the tests to run
// under a second user id:
//   instance_peer serve <program dir>     a running program: prints "listening" (or "not listening"), then
//                                          "handed: a|b" for each hand-over, until its input closes
//   instance_peer hand <program dir> f...  a later start: exits 0 once the files were taken
//   instance_peer lure <socket path>       a program that answers as a running one would to anybody:
//                                          prints "listening", then "got: <bytes>" for what it receives
#include "startup/Layout.h"
#include "startup/SingleInstance.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>

#include <cstdio>

namespace {

void Say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2)
        return 2;
    // The test ends a server by closing its input.
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
        char c = 0;
        if (std::fread(&c, 1, 1, stdin) != 1)
            QCoreApplication::quit();
    });

    if (args[0] == u"hand")
        return HandToRunningInstance(Layout::Portable(args[1]), args.mid(2)) ? 0 : 1;

    if (args[0] == u"serve") {
        InstanceServer server(Layout::Portable(args[1]));
        Say(server.isListening() ? "listening" : "not listening");
        QObject::connect(&server, &InstanceServer::DocumentsHanded, &app,
                         [](const QStringList& documents) { Say("handed: " + documents.join(u'|').toUtf8()); });
        return server.isListening() ? QCoreApplication::exec() : 1;
    }

    if (args[0] == u"lure") {
        QLocalServer server;
        server.setSocketOptions(QLocalServer::WorldAccessOption);
        if (!server.listen(args[1]))
            return 1;
        Say("listening");
        QObject::connect(&server, &QLocalServer::newConnection, &app, [&server] {
            QLocalSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                Say("got: " + socket->readAll().toPercentEncoding());
                socket->putChar('\x06');
            });
        });
        return QCoreApplication::exec();
    }
    return 2;
}
