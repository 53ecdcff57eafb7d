#include "documents/DocumentFiles.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QFileInfo>

DocPathParts SplitDocPath(const QString& path)
{
    return {paths::DirOf(path), paths::FileNameOf(path)};
}

bool IsBlitzSource(const QString& path)
{
    return path.right(3).toLower() == u".bb";
}

bool SaveDocumentFile(const QString& path, std::string_view bytes, QString* error)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        if (error)
            *error = QStringLiteral("A folder of that name is in the way.");
        return false;
    }
    // The write bits are asked for directly: the permission check alone says
    // yes to the administrator, who should not overwrite a protected file by
    // accident either.
    constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && !(info.permissions() & kAnyWrite)) {
        if (error)
            *error = QStringLiteral("The file is read-only.");
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}
