#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TempDir::TempDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempDir::file(const QString& name) const
{
    return QDir(m_dir.path()).filePath(name);
}

QString TempDir::write(const QString& name, std::string_view bytes) const
{
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + p.toStdString());
    f.write(bytes.data(), qint64(bytes.size()));
    return p;
}

std::string TempDir::read(const QString& name) const
{
    return ReadFileBytes(file(name));
}

bool TempDir::exists(const QString& name) const
{
    return QFileInfo::exists(file(name));
}

std::string ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), std::size_t(b.size()));
}

std::string NumberedLines(const QString& pattern, int count, int first)
{
    std::string out;
    for (int i = first; i < first + count; ++i)
        out += pattern.arg(i).toStdString() + "\r\n";
    return out;
}
