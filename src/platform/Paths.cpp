#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace paths {

static bool IsSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

bool IsAbsolute(const QString& path)
{
    return (!path.isEmpty() && IsSeparator(path.front())) || path.contains(u':');
}

QString Join(const QString& dir, const QString& name)
{
    if (dir.isEmpty())
        return name;
    if (IsSeparator(dir.back()))
        return dir + name;
    return dir + u'/' + name;
}

static qsizetype LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

QString Absolute(const QString& base, const QString& path)
{
    return IsAbsolute(path) ? path : Join(base, path);
}

QString DirOf(const QString& path)
{
    return path.left(LastSeparator(path) + 1);
}

QString FileNameOf(const QString& path)
{
    return path.mid(LastSeparator(path) + 1);
}

QString ToSlashes(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

std::optional<QString> LocalPath(const QString& path)
{
    const QString slashed = ToSlashes(path);
#ifdef Q_OS_WIN
    return slashed;
#else
    if (slashed.startsWith(u'/'))
        return slashed;
    const bool drive = slashed.size() >= 2 && slashed[1] == u':' && slashed[0].isLetter();
    if (drive && slashed[0].toUpper() == u'Z' && slashed.mid(2).startsWith(u'/'))
        return slashed.mid(2);
    return std::nullopt;
#endif
}

QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

QString ResolveOnDisk(const QString& path)
{
    const QString slashed = ToSlashes(path);
    if (slashed.isEmpty() || QFileInfo::exists(slashed))
        return slashed;

    // Walk the path one part at a time, matching each part without regard to
    // case when the exact name is missing.
    const bool absolute = slashed.startsWith(u'/');
    const QStringList parts = slashed.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
    for (const QString& part : parts) {
        const QString exact = Join(current, part);
        if (QFileInfo::exists(exact)) {
            current = exact;
            continue;
        }
        if (part == u"." || part == u"..")
            return slashed;
        QDir dir(current);
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        auto it = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
            return e.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (it == entries.end())
            return slashed;
        current = Join(current, *it);
    }
    if (!absolute && current.startsWith(QStringLiteral("./")))
        current = current.mid(2);
    return current;
}

}  // namespace paths
