#pragma once

#include <QString>
#include <QStringList>

class IniFile;

// The files the user opened or saved under a name lately, most recent first,
// kept between runs in the [RECENT] section of prefs.ini (File1 ... File10).
// Paths are held in their canonical spelling, so one file reached by two
// spellings is one entry.
class RecentFiles {
public:
    static constexpr int kMaxFiles = 10;

    const QStringList& Files() const { return m_files; }
    bool IsEmpty() const { return m_files.isEmpty(); }

    // Puts the file at the top, moving it there when it is listed already;
    // the oldest goes when the list is full.
    void Add(const QString& path);
    // False when the file was not listed.
    bool Remove(const QString& path);
    void Clear() { m_files.clear(); }

    // The list written in the file; entries that are empty, relative, listed
    // twice or too long to have been kept whole are left out.
    void Load(const IniFile& ini);
    // Writes every key of the section, emptying those past the list's end.
    void Save(IniFile& ini) const;

    // What the menu shows for each file, in order: its name, and for names
    // listed more than once as much of the folder as tells them apart.
    QStringList DisplayNames() const;

private:
    QStringList m_files;
};
