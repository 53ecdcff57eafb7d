#include "documents/RecentFiles.h"

#include "documents/DocumentFiles.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>

#include <string>

namespace {

constexpr const char* kSection = "RECENT";

std::string KeyOf(int n)
{
    return "File" + std::to_string(n);
}

// A value the ini file hands back whole: it caps what it reads, so a longer
// path would come back cut and name another file.
bool FitsTheFile(const std::string& value)
{
    return !value.empty() && value.size() < std::size_t(IniFile::kMaxValueLength)
           && value.find_first_of("\r\n") == std::string::npos;
}

// The value that gives `path` back: the ini file trims the blanks around a
// value, so a name that ends in one is quoted.
std::string ValueOf(const QString& path)
{
    const std::string value = path.toStdString();
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (!value.empty() && (blank(value.front()) || blank(value.back())))
        return '"' + value + '"';
    return value;
}

// The last `count` folders of `dir` ("games/snake"), or all of it (with its
// root) when it has no more.
QString FolderTail(const QString& dir, int count)
{
    const QStringList parts = dir.split(u'/', Qt::SkipEmptyParts);
    if (count >= parts.size())
        return dir;
    return parts.mid(parts.size() - count).join(u'/');
}

}  // namespace

void RecentFiles::Add(const QString& path)
{
    const QString canonical = CanonicalDocPath(path);
    if (canonical.isEmpty())
        return;
    m_files.removeAll(canonical);
    m_files.prepend(canonical);
    while (m_files.size() > kMaxFiles)
        m_files.removeLast();
}

bool RecentFiles::Remove(const QString& path)
{
    return m_files.removeAll(CanonicalDocPath(path)) > 0;
}

void RecentFiles::Load(const IniFile& ini)
{
    m_files.clear();
    for (int n = 1; n <= kMaxFiles; ++n) {
        const std::string value = ini.Get(kSection, KeyOf(n), "");
        if (!FitsTheFile(value))
            continue;
        const QString path = QString::fromStdString(value);
        if (!QFileInfo(path).isAbsolute())
            continue;
        const QString canonical = CanonicalDocPath(path);
        if (!m_files.contains(canonical))
            m_files.append(canonical);
    }
}

void RecentFiles::Save(IniFile& ini) const
{
    int n = 1;
    for (const QString& path : m_files) {
        // The cap applies to the value read back, its quotes taken off.
        if (FitsTheFile(path.toStdString()))
            ini.Set(kSection, KeyOf(n++), ValueOf(path));
    }
    for (; n <= kMaxFiles; ++n)
        ini.Set(kSection, KeyOf(n), "");
}

QStringList RecentFiles::DisplayNames() const
{
    QStringList names;
    for (const QString& path : m_files) {
        const QFileInfo info(path);
        QStringList twins;  // the folders of every file of this name
        for (const QString& other : m_files)
            if (QFileInfo(other).fileName() == info.fileName())
                twins << QFileInfo(other).path();
        if (twins.size() == 1) {
            names << info.fileName();
            continue;
        }
        // The fewest trailing folders that give every one of them its own text.
        int count = 1;
        for (;; ++count) {
            QStringList tails;
            for (const QString& dir : std::as_const(twins))
                tails << FolderTail(dir, count);
            tails.removeDuplicates();
            if (tails.size() == twins.size())
                break;
        }
        names << QStringLiteral("%1 - %2").arg(info.fileName(), QDir::toNativeSeparators(FolderTail(info.path(), count)));
    }
    return names;
}
