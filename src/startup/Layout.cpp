#include "startup/Layout.h"

#include "platform/IniFile.h"
#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kPrefs = QStringLiteral("prefs.ini");

Layout Installed(const QString& programDir)
{
    const QString name = QStringLiteral("ovrel");
    return {programDir, QDir(userfolders::ConfigHome()).filePath(name), QDir(userfolders::StateHome()).filePath(name),
            true};
}

}  // namespace

Layout Layout::Portable(const QString& programDir)
{
    return {programDir, programDir, programDir, false};
}

Layout Layout::ForExecutable(const QString& executableDir)
{
#ifdef Q_OS_WIN
    return Portable(executableDir);
#else
    const QFileInfo prefs(QDir(executableDir).filePath(kPrefs));
    if (prefs.isFile())
        return prefs.isWritable() && QFileInfo(executableDir).isWritable() ? Portable(executableDir)
                                                                           : Installed(executableDir);
    const QString shared = QDir::cleanPath(QDir(executableDir).filePath(QStringLiteral("../share/ovrel")));
    if (QFileInfo(QDir(shared).filePath(kPrefs)).isFile())
        return Installed(shared);
    return Portable(executableDir);
#endif
}

QString Layout::PrefsPath() const
{
    return QDir(configDir).filePath(kPrefs);
}

QString Layout::ShippedPrefsPath() const
{
    return QDir(programDir).filePath(kPrefs);
}

bool PrepareUserFolders(const Layout& layout, QString* error)
{
    if (!layout.installed)
        return true;
    for (const QString& dir : {layout.configDir, layout.stateDir}) {
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("Unable to create the folder ") + dir;
            return false;
        }
    }
    // Only ever created, never replaced: it holds what the user set.
    const QString prefs = layout.PrefsPath();
    if (QFileInfo::exists(prefs))
        return true;
    QFile shipped(layout.ShippedPrefsPath());
    if (!shipped.open(QIODevice::ReadOnly))
        return true;  // start-up then says prefs.ini is missing
    const QByteArray bytes = shipped.readAll();
    QString why;
    if (!WriteFileAtomically(prefs, std::string_view(bytes.constData(), std::size_t(bytes.size())), &why)) {
        *error = QStringLiteral("Unable to create ") + prefs + QStringLiteral(":\n") + why;
        return false;
    }
    return true;
}
