#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

// Runs events in short slices until `done` holds or `ms` have passed. Slices,
// because one long wait hands the help browser's engine all of the time and
// starves its page loads; a generous deadline, because compilers and pages
// are slow to come on a busy machine.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 30000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Lets queued events and timers run for a while when nothing is awaited.
inline void Pump(int ms = 0)
{
    QDeadlineTimer deadline(ms);
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    while (!deadline.hasExpired());
}
