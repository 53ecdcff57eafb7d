#include "support/ProgramDir.h"

#include "platform/IniFile.h"

#include <QDir>

std::string ShippedResource(const QString& name)
{
    return ReadFileBytes(QDir(QStringLiteral(OVREL_RESOURCES_DIR)).filePath(name));
}

std::string BuiltPictureStrip(const QString& name)
{
    return ReadFileBytes(QDir(QStringLiteral(OVREL_BUILD_DIR)).filePath(name));
}

ProgramDir::ProgramDir()
{
    for (const char* name : {"locale.txt", "prefs.ini", "commands.txt"})
        write(QString::fromLatin1(name), ShippedResource(QString::fromLatin1(name)));
    for (const char* name : {"ToolbarsIcons.bmp", "ToolbarsDisabledIcons.bmp", "SmallIcons.bmp", "VertSplitter.bmp"})
        write(QString::fromLatin1(name), BuiltPictureStrip(QString::fromLatin1(name)));
    write("Blitz3D/bin/blitzcc.exe", "#!/bin/sh\necho BlitzCC V1.108\n");
    // What a debug run links; the fake compiler loads none of them.
    for (const char* name : {"Blitz3D/bin/runtime.dll", "Blitz3D/bin/linker.dll", "debugger.dll"})
        write(QString::fromLatin1(name), "MZ");
    QDir().mkpath(file("Blitz3D/help"));
    QDir().mkpath(file("Blitz3D/userlibs"));
    setPref("PATHS", "B3DDir", blitzDir());
}

void ProgramDir::setPref(const char* section, const char* key, const QString& value) const
{
    WriteIniString(file("prefs.ini"), QString::fromLatin1(section), QString::fromLatin1(key), value);
}
