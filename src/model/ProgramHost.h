#pragma once

#include "language/Program.h"
#include "platform/Paths.h"
#include "platform/SourceFile.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CUILabels;
class EditorKeywordList;
class QFileSystemWatcher;

// The window's side of the program model. It keeps one lang::Program per
// main file in use, gives each the texts it needs (the editor's unsaved text
// for open documents, the disk's for the rest) and tells it of every edit,
// and finds each document's main file without asking (MainFileSearch).
// Files of a program that are not open are read once and watched on disk
// (inotify), and read again only when they change: a keystroke costs the
// same whatever the number of includes.
//
// Files go by their path; a document never saved by UnsavedPath(its key).
// The model goes by keys (lang::FileKey): KeyOf and PathOf turn one into the
// other. Rows and columns are the model's: from 0, in bytes of the text as
// the editor holds it (UTF-8; a Windows-1252 file read from disk is converted
// as the editor converts it, so a place found in it is a place in its tab).
//
// The window tells it (EditorEvents does, for every document):
//   DocumentOpened(path)     a document's whole text is new: opened,
//                            reloaded, or renamed by Save As
//   DocumentEdited(path, …)  each edit, as the editor reports it
//   DocumentClosed(path)     the disk's text takes over
//   FileWritten(path)        the program wrote the file
// The parts ask it:
//   MainFileOf(path)         the main file a document is checked and built with
//   ProgramOf(path)          that program, up to date with every edit told:
//                            Diagnostics(), Definition(), References(), ...
//   FilesOf, Text, LineText  the program's files and what the model read
// and follow ProgramChanged (any text of the program changed: an edit, a
// file changed on disk) and MainFilesChanged (an open document's main file
// is another one now).
class ProgramHost : public QObject {
    Q_OBJECT
public:
    // The editor's text of the document open on `path`.
    using OpenText = std::function<QByteArray(const QString& path)>;
    // `prefsPath` keeps the main files chosen with Set as Main File.
    ProgramHost(OpenText openText, QString prefsPath, QObject* parent = nullptr);
    ~ProgramHost() override;

    // The path a document never saved goes by: no file has it, and its
    // relative includes name no file.
    static QString UnsavedPath(const QString& docKey);
    // The built-in commands and user-library functions the window loaded.
    static lang::Vocabulary VocabularyOf(const EditorKeywordList& commands);
    void SetVocabulary(lang::Vocabulary vocabulary);
    // Where the reasons a file could not be read come from.
    void SetLabels(const CUILabels& labels) { m_labels = &labels; }
    // How files are read from the disk, which is given up on after
    // `deadline` and heard from again when it answers: a read that never
    // returns holds up nothing.
    void SetDiskReader(SourceReader::Read read, std::chrono::milliseconds deadline);
    static constexpr std::chrono::milliseconds kReadDeadline{300};

    void DocumentOpened(const QString& path);
    // Lines [first, first + oldCount) became the `newCount` lines of `lines`
    // (their line ends included; the last may lack one).
    void DocumentEdited(const QString& path, std::uint32_t first, std::uint32_t oldCount, std::string_view lines,
                        std::uint32_t newCount);
    void DocumentClosed(const QString& path);
    void FileWritten(const QString& path);

    // What holds edits not yet handed on (the editor, while typing): asked
    // to hand them on before any question below is answered, so that no
    // answer comes from a text the user has already changed, and before the
    // host takes an open document's whole text, which holds them already.
    void SetEditsWaiting(std::function<void()> handOn) { m_handOn = std::move(handOn); }

    // The main file of a document: its own path when no program includes it.
    QString MainFileOf(const QString& path);
    // The program a document belongs to, with every file it needs given.
    lang::Program& ProgramOf(const QString& path);
    // The files of that program, the main file first.
    QStringList FilesOf(const QString& path);

    static std::string KeyOf(const QString& path);
    // The key of the open document that is the file of `key` under any of its
    // names (itself, a hard link, a symlink, another path); `key` itself when
    // no open document is that file.
    std::string OpenKeyOf(std::string_view key) const;
    // The file a key names: the open document's path, or the file on disk
    // (letter case as found there).
    QString PathOf(std::string_view key) const;
    // A file's text as the model has it; nullopt when it could not be read.
    std::optional<std::string> Text(std::string_view key);
    // One of its lines (from 0), without the line end.
    std::string LineText(std::string_view key, std::uint32_t row);
    // Goes up with every change of a file's text, as the model has it.
    std::uint64_t Revision(std::string_view key) const;

    // Build > Set as Main File: the document at `path` becomes the main file
    // of its folder, kept in prefs.ini. False with the reason when that
    // cannot be written.
    bool ChooseMainFile(const QString& path, QString* error);

    // The files read from disk and watched for changes.
    QStringList WatchedFiles() const;

Q_SIGNALS:
    void ProgramChanged(const QString& mainPath);
    void MainFilesChanged();
    // Files of a program that changed on disk and were read again.
    void FilesChangedOnDisk(const QStringList& paths);

private:
    struct Disk {
        QString path;  // as found on disk
        bool missing = true;
        QString why;  // why it could not be read, when the words for a missing file would not say
        std::string text;
        std::vector<std::uint32_t> lineStarts;  // made when a line is first asked for
        std::pair<quint64, quint64> id;         // device and inode
    };
    struct Prog {
        std::unique_ptr<lang::Program> program;
        std::set<std::string> given;
        std::vector<std::string> files;
    };
    struct Lines {
        std::uint64_t revision = 0;
        std::string text;
        std::vector<std::uint32_t> starts;
    };

    std::string MainKey(const std::string& doc);
    std::string FindMain(const std::string& doc);
    Prog& ProgFor(const std::string& main);
    void Feed(Prog& p);
    void Give(Prog& p, const std::string& key);
    // Each program that has the file: updated, then said to have changed.
    void ForProgramsHolding(const std::string& key, const std::function<void(Prog&)>& update);
    // The file's text as it now is, to each program that has it.
    void GiveAgain(const std::string& key);
    Disk& DiskOf(const std::string& key);
    // `spelled`: the file's path as the disk spells it, when known.
    Disk Read(const std::string& key, const QString& spelled = {});
    // A file given up on answered after all.
    void OnLateRead(const QString& path, SourceText text);
    std::optional<std::string> OpenTextOf(const std::string& key) const;
    // The files read from disk that are the open document `key` under another name.
    std::vector<std::string> AliasesOf(const std::string& key) const;
    void Changed(const std::string& key);
    // Main files are looked for again once the current event is done.
    void Invalidate();
    // Has the edits waiting handed on, unless they are being handed on now.
    void TakeWaitingEdits();
    void Settle();
    void UpdateWatches();
    void OnDiskChanged();

    OpenText m_openText;
    std::function<void()> m_handOn;
    bool m_handingOn = false;
    QString m_prefsPath;
    const CUILabels* m_labels;
    std::unique_ptr<SourceReader> m_reader;
    std::unordered_map<QString, std::string> m_unanswered;  // keys by the path given up on
    paths::SpellingCache m_spellings;
    lang::Vocabulary m_vocabulary;
    std::unordered_map<std::string, QString> m_open;  // open documents by key
    // The file each open document is, by device and inode: a file read under
    // another name is that document, and the model reads its unsaved text.
    std::unordered_map<std::string, std::pair<quint64, quint64>> m_openIds;
    std::unordered_map<std::string, Disk> m_disk;
    std::map<std::string, Prog> m_programs;  // by main key
    std::unordered_map<std::string, std::uint64_t> m_revisions;
    std::unordered_map<std::string, Lines> m_lines;  // of open documents, while their revision lasts
    std::map<std::string, QString> m_chosen;         // by folder key

    // Main files: what each document was found to have in the current
    // round, and what was last announced.
    std::uint64_t m_round = 1;
    std::unordered_map<std::string, std::pair<std::uint64_t, std::string>> m_mainOf;
    std::unordered_map<std::string, std::string> m_announced;
    QTimer m_settle;

    QFileSystemWatcher* m_watcher = nullptr;
    QSet<QString> m_changedOnDisk;
    QTimer m_diskTimer;
};
