#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string_view>

// A temporary folder that disappears with the test, with helpers to write
// and read files in it as bytes.
class TempDir {
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    // Writes `bytes` to `name` (creating folders on the way); returns the path.
    QString write(const QString& name, std::string_view bytes) const;
    std::string read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Reads a whole file as bytes ("" when missing).
std::string ReadFileBytes(const QString& path);

// `count` lines of `pattern`, each with "%1" made the next number from
// `first` on, each ended by CR LF.
std::string NumberedLines(const QString& pattern, int count, int first = 1);
