#include "help/WebEngineSetup.h"

#include <QByteArrayList>
#include <QtGlobal>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace help {

QByteArray ChromiumFlags(const QByteArray& flags, bool runsAsRoot)
{
    static const QByteArray noSandbox = QByteArrayLiteral("--no-sandbox");
    if (!runsAsRoot || flags.split(' ').contains(noSandbox))
        return flags;
    const QByteArray kept = flags.trimmed();
    return kept.isEmpty() ? noSandbox : kept + ' ' + noSandbox;
}

void PrepareWebEngine()
{
#ifndef Q_OS_WIN
    constexpr char kFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    const QByteArray flags = qgetenv(kFlagsVariable);
    const QByteArray wanted = ChromiumFlags(flags, geteuid() == 0);
    if (wanted != flags)
        qputenv(kFlagsVariable, wanted);
#endif
}

}  // namespace help
