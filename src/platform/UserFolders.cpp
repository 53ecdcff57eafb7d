#include "platform/UserFolders.h"

#include <QDir>

namespace userfolders {

static QString FromVariable(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

QString ConfigHome()
{
    return FromVariable("XDG_CONFIG_HOME", QDir::home().filePath(QStringLiteral(".config")));
}

QString StateHome()
{
    return FromVariable("XDG_STATE_HOME", QDir::home().filePath(QStringLiteral(".local/state")));
}

QString RuntimeDir()
{
    return FromVariable("XDG_RUNTIME_DIR", QString());
}

}  // namespace userfolders
