#include "startup/Settings.h"

#include "platform/Paths.h"

QString Settings::B3DRoot() const
{
    return B3DDir.isEmpty() ? QString() : paths::Absolute(ProgramDir, B3DDir);
}

QString Settings::B3DBinDir() const
{
    return paths::Join(B3DRoot(), QStringLiteral("bin/"));
}

QString Settings::B3DHelpDir() const
{
    return paths::Join(B3DRoot(), QStringLiteral("help"));
}
