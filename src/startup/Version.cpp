#include "startup/Version.h"

namespace version {

QString WindowTitle(int major, int minor, int revision)
{
    return QStringLiteral("Ovrel - v ") + AboutVersion(major, minor, revision);
}

QString SplashText(int major, int minor, int revision)
{
    return QStringLiteral("V. %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString AboutVersion(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2 build %3").arg(major).arg(minor).arg(revision);
}

}  // namespace version
