#include "startup/Settings.h"

#include "platform/Paths.h"

QString Settings::B3DBinDir() const
{
    return paths::Join(B3DDir, QStringLiteral("bin/"));
}

QString Settings::B3DHelpDir() const
{
    return paths::Join(B3DDir, QStringLiteral("help"));
}
