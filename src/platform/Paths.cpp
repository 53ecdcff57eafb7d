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

namespace {

// Folders read while looking for one path: enough for any real tree, and a
// bound on a tree made of many spellings of one name.
constexpr int kMaxListings = 64;

// The path below `current` that `parts` name, each part in its exact spelling
// or in another letter case. Two folders may differ only in case, and the
// file may be in either, so a dead end goes back to try the other spellings.
std::optional<QString> FindSpelling(const QString& current, const QStringList& parts, qsizetype at, int& listings)
{
    if (at == parts.size())
        return current;
    const QString& part = parts[at];
    const QString exact = Join(current, part);
    if (QFileInfo::exists(exact))
        if (std::optional<QString> found = FindSpelling(exact, parts, at + 1, listings))
            return found;
    if (part == u"." || part == u".." || ++listings > kMaxListings)
        return std::nullopt;
    const QStringList entries =
        QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry == part || entry.compare(part, Qt::CaseInsensitive) != 0)
            continue;
        if (std::optional<QString> found = FindSpelling(Join(current, entry), parts, at + 1, listings))
            return found;
    }
    return std::nullopt;
}

}  // namespace

void SpellingCache::Learn(const QString& realPath)
{
    for (qsizetype slash = realPath.lastIndexOf(u'/'); slash > 0; slash = realPath.lastIndexOf(u'/', slash - 1)) {
        const QString folder = realPath.left(slash);
        if (!m_folders.contains(folder.toLower()))
            m_folders.insert(folder.toLower(), folder);
    }
}

QString SpellingCache::Resolve(const QString& path)
{
    const QString slashed = ToSlashes(path);
    const QString lower = slashed.toLower();
    QString start = slashed;
    for (qsizetype slash = lower.lastIndexOf(u'/'); slash > 0; slash = lower.lastIndexOf(u'/', slash - 1)) {
        const auto known = m_folders.constFind(lower.left(slash));
        if (known != m_folders.constEnd()) {
            start = *known + slashed.mid(slash);
            break;
        }
    }
    QString found = ResolveOnDisk(start);
    // A folder renamed since is looked for afresh.
    if (!QFileInfo::exists(found) && start != slashed)
        found = ResolveOnDisk(slashed);
    if (QFileInfo::exists(found))
        Learn(found);
    return found;
}

QString ResolveOnDisk(const QString& path)
{
    const QString slashed = ToSlashes(path);
    if (slashed.isEmpty() || QFileInfo::exists(slashed))
        return slashed;

    const bool absolute = slashed.startsWith(u'/');
    int listings = 0;
    std::optional<QString> found = FindSpelling(absolute ? QStringLiteral("/") : QStringLiteral("."),
                                                slashed.split(u'/', Qt::SkipEmptyParts), 0, listings);
    if (!found)
        return slashed;
    if (!absolute && found->startsWith(QStringLiteral("./")))
        return found->mid(2);
    return *found;
}

}  // namespace paths
