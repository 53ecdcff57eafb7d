#pragma once

#include "analysis/IncludeFiles.h"
#include "analysis/Scanner.h"

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

// The per-kind styles the main window would make.
DeclStyles TestStyles();

// "Name|kind|ReturnType|Line" of every entry in list order, joined by
// blanks; with `keys`, "|Key" too.
std::string Describe(const EditorKeywordList& list, bool keys = false);
// Only the names, joined by blanks.
std::string Names(const EditorKeywordList& list);

// Scans with the include files given as path=contents pairs, read from
// memory under the folder "/src/".
ScanResult Scan(std::string_view source, std::initializer_list<std::pair<QString, std::string>> files = {});

// A vocabulary entry; parameters written "[name]" are optional.
EditorKeyword Command(std::string_view name, std::initializer_list<std::string_view> params = {});
EditorKeywordListPtr Vocabulary(std::initializer_list<EditorKeyword> commands);

// A line with the caret written as "|".
struct Caret {
    std::string line;
    int column;
};
Caret At(std::string_view marked);

// Files in memory. Every write gives the file a new stamp, as a disk with a
// fine clock would.
class TableFiles : public IncludeFileSystem {
public:
    void Write(const QString& path, const std::string& text)
    {
        m_files[path] = {text, ++m_clock};
        for (QString dir = path.section('/', 0, -2); !dir.isEmpty(); dir = dir.section('/', 0, -2))
            m_folders[dir] = m_clock;
        m_folders["/"] = m_clock;
    }
    void Remove(const QString& path)
    {
        m_files.erase(path);
        m_folders[path.section('/', 0, -2)] = ++m_clock;
    }
    std::optional<FileStatus> Status(const QString& path) override
    {
        if (const auto it = m_files.find(path); it != m_files.end())
            return FileStatus{false, {qint64(it->second.text.size()), it->second.stamp}};
        if (const auto it = m_folders.find(path); it != m_folders.end())
            return FileStatus{true, {0, it->second}};
        return std::nullopt;
    }
    QStringList List(const QString& folder) override
    {
        ++listings;
        QStringList names;
        const QString prefix = folder.endsWith('/') ? folder : folder + "/";
        for (auto it = m_files.lower_bound(prefix); it != m_files.end() && it->first.startsWith(prefix); ++it) {
            const QString name = it->first.mid(prefix.size()).section('/', 0, 0);
            if (names.isEmpty() || names.back() != name)
                names << name;
        }
        return names;
    }
    std::optional<std::string> Read(const QString& path) override
    {
        ++reads;
        const auto it = m_files.find(path);
        return it == m_files.end() ? std::nullopt : std::optional<std::string>(it->second.text);
    }

    int listings = 0;
    int reads = 0;

private:
    struct File {
        std::string text;
        qint64 stamp = 0;
    };
    std::map<QString, File> m_files;
    std::map<QString, qint64> m_folders;  // a folder's stamp changes when names come or go
    qint64 m_clock = 0;
};
