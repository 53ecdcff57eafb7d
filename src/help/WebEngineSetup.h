#pragma once

#include <QByteArray>

namespace help {

// Must run before the QApplication exists. The browser engine refuses to start
// as root unless its sandbox is switched off, and the first help page would
// then abort the whole program; as root the engine's flags get --no-sandbox
// (flags the user already set are kept). Does nothing on Windows.
void PrepareWebEngine();

// The engine's flags for a process that already has `flags`: --no-sandbox is
// added once when `runsAsRoot`.
QByteArray ChromiumFlags(const QByteArray& flags, bool runsAsRoot);

}  // namespace help
