#include "startup/Settings.h"

#include "platform/Paths.h"

QString Settings::B3DRoot() const
{
    return B3DDir.isEmpty() ? QString() : paths::Absolute(ProgramDir, B3DDir);
}

// Without a Blitz3D folder there are none: a bare "bin" or "help" would be
// looked for in whatever folder the program was started from.
QString Settings::B3DBinDir() const
{
    const QString root = B3DRoot();
    return root.isEmpty() ? QString() : paths::Join(root, QStringLiteral("bin/"));
}

QString Settings::B3DHelpDir() const
{
    const QString root = B3DRoot();
    return root.isEmpty() ? QString() : paths::Join(root, QStringLiteral("help"));
}
