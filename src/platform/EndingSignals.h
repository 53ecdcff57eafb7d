#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// The signals that end a program from outside (SIGTERM from a logout or a
// kill, SIGHUP from a closed terminal, SIGINT from Ctrl+C), delivered on the
// event loop, where the program can still keep what it must before it ends.
// The handler itself only writes the signal's number to a pipe: little else
// is safe inside a signal handler. One object at a time; the signals' own
// handling comes back when it goes.
class EndingSignals : public QObject {
    Q_OBJECT
public:
    explicit EndingSignals(QObject* parent = nullptr);
    ~EndingSignals() override;

Q_SIGNALS:
    void Received(int signalNumber);

private:
    void OnReadable();
    std::unique_ptr<QSocketNotifier> m_notifier;
};
