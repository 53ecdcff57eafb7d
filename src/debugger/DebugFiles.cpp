#include "debugger/DebugFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

// Points `link` at `target`, replacing whatever stood there.
bool Link(const QString& target, const QString& link)
{
    if (QFileInfo(link).symLinkTarget() == target)
        return true;
    QFile::remove(link);
    return QFile::link(target, link);
}

}  // namespace

DebugFolder PrepareDebugFolder(const QString& folder, const QString& b3dRoot, const QString& debuggerDll)
{
    if (!QFileInfo(debuggerDll).isFile())
        return {{}, QStringLiteral("debugnodll"), debuggerDll};
    const QDir install(b3dRoot);
    for (const char* name : {"bin/blitzcc.exe", "bin/runtime.dll", "bin/linker.dll"}) {
        const QString path = install.filePath(QString::fromLatin1(name));
        if (!QFileInfo(path).isFile())
            return {{}, QStringLiteral("debugmissing"), path};
    }
    const QDir root(folder);
    if (!root.mkpath(QStringLiteral("bin")))
        return {{}, QStringLiteral("debugnofolder"), root.filePath(QStringLiteral("bin"))};
    for (const char* name : {"blitzcc.exe", "runtime.dll", "linker.dll"}) {
        const QString file = QString::fromLatin1(name);
        if (!Link(install.filePath(QStringLiteral("bin/") + file), root.filePath(QStringLiteral("bin/") + file)))
            return {{}, QStringLiteral("debugnofolder"), root.filePath(QStringLiteral("bin/") + file)};
    }
    const QString userlibs = install.filePath(QStringLiteral("userlibs"));
    if (QFileInfo(userlibs).isDir() && !Link(userlibs, root.filePath(QStringLiteral("userlibs"))))
        return {{}, QStringLiteral("debugnofolder"), root.filePath(QStringLiteral("userlibs"))};
    // A copy, not a link: a rebuild of the IDE while a program runs must not
    // change the DLL under it.
    const QString dll = root.filePath(QStringLiteral("bin/debugger.dll"));
    const QFileInfo have(dll);
    const QFileInfo want(debuggerDll);
    if (have.isSymLink() || have.size() != want.size() || have.lastModified() < want.lastModified()) {
        QFile::remove(dll);
        if (!QFile::copy(debuggerDll, dll))
            return {{}, QStringLiteral("debugnofolder"), dll};
    }
    return {root.absolutePath()};
}

bool WineLacks32Bit(const QString& wineLibDir)
{
    const QDir dir(wineLibDir);
    return QFileInfo(dir.filePath(QStringLiteral("wine64"))).isFile()
           && !QFileInfo(dir.filePath(QStringLiteral("wine"))).isFile();
}

BreakpointStore::BreakpointStore(QString file) : m_file(std::move(file)) {}

void BreakpointStore::Load()
{
    m_lines.clear();
    QFile file(m_file);
    if (m_file.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    // One file a line: its lines apart by commas, a tab, its path.
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(1 << 16)).chopped(1);
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        std::vector<int> lines;
        for (const QString& n : line.left(tab).split(u',')) {
            bool ok = false;
            const int value = n.toInt(&ok);
            if (ok && value > 0)
                lines.push_back(value);
        }
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        if (!lines.empty())
            m_lines[line.mid(tab + 1)] = std::move(lines);
    }
}

std::vector<int> BreakpointStore::Lines(const QString& path) const
{
    const auto it = m_lines.find(path);
    return it == m_lines.end() ? std::vector<int>() : it->second;
}

bool BreakpointStore::SetLines(const QString& path, std::vector<int> lines)
{
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    if (Lines(path) == lines)
        return true;
    if (lines.empty())
        m_lines.erase(path);
    else
        m_lines[path] = std::move(lines);
    return save();
}

bool BreakpointStore::save() const
{
    if (m_file.isEmpty())
        return true;
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const auto& [path, lines] : m_lines) {
        QStringList numbers;
        for (const int line : lines)
            numbers << QString::number(line);
        file.write((numbers.join(u',') + u'\t' + path + u'\n').toUtf8());
    }
    return file.commit();
}
