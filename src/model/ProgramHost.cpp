#include "model/ProgramHost.h"

#include "editor/Keywords.h"
#include "editor/Vocabulary.h"
#include "language/Includes.h"
#include "model/MainFiles.h"
#include "platform/FileStatus.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"
#include "startup/Labels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>


namespace {

// The folder unsaved documents go by: no file is looked for in it.
constexpr std::string_view kUnsavedFolder = "/:unsaved/";
// .decls files beside a program: a few, and small.
constexpr int kMaxShippedDecls = 64;
constexpr qint64 kMaxDeclsBytes = qint64(1) << 20;
// Writing a file raises several notices; they are taken together.
constexpr int kDiskSettleMs = 100;

bool IsUnsaved(std::string_view key)
{
    return key.substr(0, kUnsavedFolder.size()) == kUnsavedFolder;
}

std::optional<std::string> ReadRegular(const QString& path, qint64 maxBytes)
{
    QFile file;
    if (!OpenRegularFile(file, path) || file.size() > maxBytes)
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

void IndexLines(std::string_view text, std::vector<std::uint32_t>& starts)
{
    starts.assign(1, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            starts.push_back(std::uint32_t(i + 1));
    }
}

std::string LineOf(std::string_view text, const std::vector<std::uint32_t>& starts, std::uint32_t row)
{
    if (row >= starts.size())
        return {};
    std::string_view line = text.substr(starts[row], (row + 1 < starts.size() ? starts[row + 1] : text.size()) - starts[row]);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return std::string(line);
}

// The functions that .decls files beside a program declare.
std::vector<std::pair<std::string, std::string>> ShippedDecls(const std::string& mainKey)
{
    std::vector<std::pair<std::string, std::string>> shipped;
    if (IsUnsaved(mainKey))
        return shipped;
    const QDir folder(paths::ResolveOnDisk(QString::fromStdString(std::string(lang::FolderOf(mainKey)))));
    QStringList names = folder.entryList({QStringLiteral("*.decls")}, QDir::Files, QDir::Name);
    names = names.mid(0, kMaxShippedDecls);
    for (const QString& name : names) {
        const std::optional<std::string> text = ReadRegular(folder.filePath(name), kMaxDeclsBytes);
        if (!text)
            continue;
        std::size_t start = 0;
        while (start < text->size()) {
            std::size_t end = text->find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = text->size();
            try {
                if (const auto parts = ParseDeclLine(std::string_view(*text).substr(start, end - start)))
                    shipped.emplace_back(std::string(parts->name), name.toStdString());
            } catch (const std::exception&) {
                // a line the format cannot describe declares nothing
            }
            start = end + 1;
        }
    }
    return shipped;
}

}  // namespace

ProgramHost::ProgramHost(OpenText openText, QString prefsPath, QObject* parent)
    : QObject(parent), m_openText(std::move(openText)), m_prefsPath(std::move(prefsPath)),
      m_watcher(new QFileSystemWatcher(this))
{
    static const CUILabels english;
    m_labels = &english;
    SetDiskReader([](const QString& path) { return ReadSourceFile(path, kMaxIncludeBytes); }, kReadDeadline);
    for (const auto& [folder, path] : mainfiles::LoadChoices(m_prefsPath))
        m_chosen[folder] = path;
    m_settle.setSingleShot(true);
    m_settle.setInterval(0);
    connect(&m_settle, &QTimer::timeout, this, &ProgramHost::Settle);
    m_diskTimer.setSingleShot(true);
    m_diskTimer.setInterval(kDiskSettleMs);
    connect(&m_diskTimer, &QTimer::timeout, this, &ProgramHost::OnDiskChanged);
    const auto note = [this](const QString& path) {
        m_changedOnDisk.insert(path);
        m_diskTimer.start();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, note);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, note);
}

ProgramHost::~ProgramHost() = default;

void ProgramHost::SetDiskReader(SourceReader::Read read, std::chrono::milliseconds deadline)
{
    m_reader = std::make_unique<SourceReader>(std::move(read), deadline);
    m_reader->SetLate([this](const QString& path, SourceText text) {
        QMetaObject::invokeMethod(
            this, [this, path, text = std::move(text)]() mutable { OnLateRead(path, std::move(text)); },
            Qt::QueuedConnection);
    });
    m_unanswered.clear();
}

QString ProgramHost::UnsavedPath(const QString& docKey)
{
    return QString::fromLatin1(kUnsavedFolder.data(), qsizetype(kUnsavedFolder.size())) + docKey + QStringLiteral(".bb");
}

lang::Vocabulary ProgramHost::VocabularyOf(const EditorKeywordList& commands)
{
    lang::Vocabulary v;
    v.commands.reserve(commands.Count());
    for (const EditorKeywordPtr& e : commands) {
        lang::Callable c{e->Name, {}, '?'};
        for (const EditorKeywordParam& p : e->Params)
            c.params.push_back({p.Name, p.Optional});
        c.result = e->Result;
        v.commands.push_back(std::move(c));
    }
    return v;
}

void ProgramHost::SetVocabulary(lang::Vocabulary vocabulary)
{
    m_vocabulary = std::move(vocabulary);
    for (auto& [main, p] : m_programs) {
        lang::Vocabulary v = m_vocabulary;
        v.shippedDecls = ShippedDecls(main);
        p.program->SetVocabulary(v);
        Q_EMIT ProgramChanged(PathOf(main));
    }
}

std::string ProgramHost::KeyOf(const QString& path)
{
    // Asked at every key, for the document typed in: the last answer is kept.
    thread_local QString lastPath;
    thread_local std::string lastKey;
    if (lastPath.isNull() || path != lastPath) {
        lastKey = lang::FileKey(paths::ToSlashes(path).toStdString());
        lastPath = path;
    }
    return lastKey;
}

QString ProgramHost::PathOf(std::string_view key) const
{
    const std::string k(key);
    if (const auto open = m_open.find(k); open != m_open.end())
        return open->second;
    if (const auto disk = m_disk.find(k); disk != m_disk.end() && !disk->second.missing)
        return disk->second.path;
    return paths::ResolveOnDisk(QString::fromStdString(k));
}

std::uint64_t ProgramHost::Revision(std::string_view key) const
{
    const auto it = m_revisions.find(std::string(key));
    return it == m_revisions.end() ? 0 : it->second;
}

void ProgramHost::Changed(const std::string& key)
{
    ++m_revisions[key];
    m_lines.erase(key);
}

std::string ProgramHost::OpenKeyOf(std::string_view key) const
{
    std::string k(key);
    if (m_openIds.empty() || m_open.count(k))
        return k;
    const auto d = m_disk.find(k);
    if (d == m_disk.end() || d->second.missing)
        return k;
    for (const auto& [open, id] : m_openIds)
        if (id == d->second.id)
            return open;
    return k;
}

std::vector<std::string> ProgramHost::AliasesOf(const std::string& key) const
{
    std::vector<std::string> aliases;
    const auto id = m_openIds.find(key);
    if (id == m_openIds.end())
        return aliases;
    for (const auto& [other, d] : m_disk)
        if (!d.missing && d.id == id->second && !m_open.count(other))
            aliases.push_back(other);
    return aliases;
}

std::optional<std::string> ProgramHost::OpenTextOf(const std::string& key) const
{
    const auto it = m_open.find(OpenKeyOf(key));
    if (it == m_open.end())
        return std::nullopt;
    const QByteArray text = m_openText(it->second);
    return std::string(text.constData(), std::size_t(text.size()));
}

ProgramHost::Disk ProgramHost::Read(const std::string& key, const QString& spelled)
{
    Disk d;
    if (IsUnsaved(key))
        return d;
    // The key is lower case; the disk may spell the names otherwise.
    d.path = spelled.isEmpty() ? m_spellings.Resolve(QString::fromStdString(key)) : spelled;
    SourceText read = m_reader->Get(d.path);
    if (!read.ok()) {
        d.why = UnreadableSource(*m_labels, read, kMaxIncludeBytes);
        if (read.trouble == SourceText::Trouble::NoAnswer)
            m_unanswered[d.path] = key;
        const QString folder = paths::ResolveOnDisk(QString::fromStdString(std::string(lang::FolderOf(key))));
        if (QFileInfo(folder).isDir())
            d.path = folder;  // watched, to see the file come
        else
            d.path.clear();
        return d;
    }
    std::optional<std::string> text(std::move(read.bytes));
    // As the editor shows it: Windows-1252 converted, so columns agree.
    if (text::HasNonAscii(*text) && !text::IsValidUtf8(*text))
        *text = text::Windows1252ToUtf8(*text);
    d.text = std::move(*text);
    d.missing = false;
    if (const std::optional<FileStatus> status = StatusOf(d.path))
        d.id = {status->stamp.device, status->stamp.inode};
    return d;
}

ProgramHost::Disk& ProgramHost::DiskOf(const std::string& key)
{
    auto it = m_disk.find(key);
    if (it == m_disk.end())
        it = m_disk.emplace(key, Read(key)).first;
    return it->second;
}

void ProgramHost::Give(Prog& p, const std::string& key)
{
    if (!m_open.count(key))
        DiskOf(key);  // whether it is an open document under another name
    if (const auto open = m_open.find(OpenKeyOf(key)); open != m_open.end()) {
        // Parsed where the editor's copy lies: a copy more of a large
        // document would be held while it is parsed.
        const QByteArray text = m_openText(open->second);
        p.program->SetFile(key, std::string_view(text.constData(), std::size_t(text.size())));
    } else {
        const Disk& d = DiskOf(key);
        if (d.missing)
            p.program->SetMissing(key, d.why.toStdString());
        else
            p.program->SetFile(key, d.text);
    }
    p.given.insert(key);
}

ProgramHost::Prog& ProgramHost::ProgFor(const std::string& main)
{
    auto [it, made] = m_programs.try_emplace(main);
    Prog& p = it->second;
    if (made) {
        p.program = std::make_unique<lang::Program>();
        lang::Vocabulary v = m_vocabulary;
        v.shippedDecls = ShippedDecls(main);
        p.program->SetVocabulary(v);
        p.program->SetMainFile(main);
        Give(p, main);
    }
    return p;
}

void ProgramHost::Feed(Prog& p)
{
    for (std::vector<std::string> needed = p.program->NeededFiles(); !needed.empty();
         needed = p.program->NeededFiles()) {
        // What a new file names, and what that names in turn, is given
        // before the program is worked out again: a chain of includes costs
        // no more per level.
        std::vector<std::string> todo;
        for (std::string& key : needed) {
            if (!p.given.count(key)) {
                Give(p, key);
                todo.push_back(std::move(key));
            }
        }
        while (!todo.empty()) {
            const std::string key = std::move(todo.back());
            todo.pop_back();
            for (std::string& next : p.program->IncludedBy(key)) {
                if (!p.given.count(next)) {
                    Give(p, next);
                    todo.push_back(std::move(next));
                }
            }
        }
    }
    std::vector<std::string> files = p.program->Files();
    if (files != p.files) {
        p.files = std::move(files);
        UpdateWatches();
        Invalidate();
    }
}

std::string ProgramHost::FindMain(const std::string& doc)
{
    if (IsUnsaved(doc))
        return doc;
    MainFileSearch search;
    // A folder's listing spells each file as the disk does; looking a
    // lower-case key up again would list the folder once per file, which in
    // a folder of a few hundred sources held up the first window.
    std::unordered_map<std::string, QString> spelled;
    search.text = [this, &spelled](const std::string& key) -> std::optional<std::string> {
        if (std::optional<std::string> open = OpenTextOf(key))
            return open;
        if (const auto it = m_disk.find(key); it != m_disk.end())
            return it->second.missing ? std::nullopt : std::optional<std::string>(it->second.text);
        const auto listed = spelled.find(key);
        Disk d = Read(key, listed == spelled.end() ? QString() : listed->second);
        return d.missing ? std::nullopt : std::optional<std::string>(std::move(d.text));
    };
    search.sources = [&spelled](const std::string& folder) {
        std::vector<std::string> keys;
        if (folder.empty() || IsUnsaved(folder + "/"))
            return keys;
        const QDir dir(paths::ResolveOnDisk(QString::fromStdString(folder)));
        for (const QString& name : dir.entryList({QStringLiteral("*.bb")}, QDir::Files, QDir::Name)) {
            const QString path = dir.filePath(name);
            keys.push_back(KeyOf(path));
            spelled.emplace(keys.back(), path);
        }
        return keys;
    };
    search.knownFiles = [this](const std::string& main) -> std::optional<std::vector<std::string>> {
        const auto it = m_programs.find(main);
        if (it == m_programs.end())
            return std::nullopt;
        Feed(it->second);
        return it->second.files;
    };
    search.chosen = [this](const std::string& folder) -> std::optional<std::string> {
        const auto it = m_chosen.find(folder);
        return it == m_chosen.end() ? std::nullopt : std::optional<std::string>(KeyOf(it->second));
    };
    for (const auto& [main, p] : m_programs)
        search.known.push_back(main);
    std::vector<std::string> open;
    for (const auto& [key, path] : m_open)
        open.push_back(key);
    std::sort(open.begin(), open.end());
    search.known.insert(search.known.end(), open.begin(), open.end());
    return search.Find(doc);
}

void ProgramHost::TakeWaitingEdits()
{
    if (!m_handOn || m_handingOn)
        return;
    m_handingOn = true;
    m_handOn();
    m_handingOn = false;
}

lang::Program& ProgramHost::ProgramOf(const QString& path)
{
    TakeWaitingEdits();
    const std::string key = KeyOf(path);
    const std::string main = MainKey(key);
    Prog* p = &ProgFor(main);
    Feed(*p);
    if (main != key && std::find(p->files.begin(), p->files.end(), key) == p->files.end()) {
        // The main file's includes no longer name the document: it is a
        // program of its own until the main files are looked for again.
        p = &ProgFor(key);
        Feed(*p);
        m_mainOf[key] = {m_round, key};
    }
    return *p->program;
}

QStringList ProgramHost::FilesOf(const QString& path)
{
    QStringList files;
    for (const std::string& key : ProgramOf(path).Files())
        files << PathOf(key);
    return files;
}

std::optional<std::string> ProgramHost::Text(std::string_view key)
{
    TakeWaitingEdits();
    const std::string k(key);
    if (!m_open.count(k))
        DiskOf(k);
    if (std::optional<std::string> open = OpenTextOf(k))
        return open;
    const Disk& d = DiskOf(k);
    return d.missing ? std::nullopt : std::optional<std::string>(d.text);
}

std::string ProgramHost::LineText(std::string_view key, std::uint32_t row)
{
    TakeWaitingEdits();
    std::string k(key);
    if (!m_open.count(k)) {
        DiskOf(k);
        k = OpenKeyOf(k);
    }
    if (m_open.count(k)) {
        Lines& l = m_lines[k];
        if (l.starts.empty() || l.revision != Revision(k)) {
            l.text = OpenTextOf(k).value_or(std::string());
            IndexLines(l.text, l.starts);
            l.revision = Revision(k);
        }
        return LineOf(l.text, l.starts, row);
    }
    Disk& d = DiskOf(k);
    if (d.lineStarts.empty())
        IndexLines(d.text, d.lineStarts);
    return LineOf(d.text, d.lineStarts, row);
}

void ProgramHost::ForProgramsHolding(const std::string& key, const std::function<void(Prog&)>& update)
{
    for (auto& [main, p] : m_programs) {
        if (p.given.count(key)) {
            update(p);
            Q_EMIT ProgramChanged(PathOf(main));
        }
    }
}

void ProgramHost::GiveAgain(const std::string& key)
{
    ForProgramsHolding(key, [&](Prog& p) { Give(p, key); });
}

void ProgramHost::DocumentOpened(const QString& path)
{
    TakeWaitingEdits();
    m_spellings.Learn(paths::ToSlashes(path));
    const std::string key = KeyOf(path);
    m_open[key] = path;
    if (const std::optional<FileStatus> status = StatusOf(path); status && !status->folder)
        m_openIds[key] = {status->stamp.device, status->stamp.inode};
    else
        m_openIds.erase(key);
    Changed(key);
    GiveAgain(key);
    for (const std::string& alias : AliasesOf(key)) {
        Changed(alias);
        GiveAgain(alias);
    }
    UpdateWatches();
    Invalidate();
}

void ProgramHost::DocumentEdited(const QString& path, std::uint32_t first, std::uint32_t oldCount,
                                 std::string_view lines, std::uint32_t newCount)
{
    const std::string key = KeyOf(path);
    Changed(key);
    ForProgramsHolding(key, [&](Prog& p) { p.program->Edit(key, first, oldCount, lines, newCount); });
    for (const std::string& alias : AliasesOf(key)) {
        Changed(alias);
        ForProgramsHolding(alias, [&](Prog& p) { p.program->Edit(alias, first, oldCount, lines, newCount); });
    }
}

void ProgramHost::DocumentClosed(const QString& path)
{
    TakeWaitingEdits();
    const std::string key = KeyOf(path);
    const std::vector<std::string> aliases = AliasesOf(key);
    if (!m_open.erase(key))
        return;
    m_openIds.erase(key);
    m_mainOf.erase(key);
    // The file may hold what was saved, or not what the tab showed.
    for (const std::string& k : aliases)
        m_disk.erase(k);
    m_disk.erase(key);
    // A program that no open document is in any more goes now: to read the
    // closed file into it again, only for it to go once main files are
    // looked for, would parse a document of 100 MB once more as it closes.
    std::erase_if(m_programs, [&](const auto& entry) {
        const std::set<std::string>& files = entry.second.given;
        return files.count(key) && std::none_of(files.begin(), files.end(), [&](const std::string& file) {
                   return m_open.count(OpenKeyOf(file)) != 0;
               });
    });
    Changed(key);
    GiveAgain(key);
    for (const std::string& alias : aliases) {
        Changed(alias);
        GiveAgain(alias);
    }
    UpdateWatches();
    Invalidate();
}

void ProgramHost::FileWritten(const QString& path)
{
    TakeWaitingEdits();
    const std::string key = KeyOf(path);
    // An open document's text is the model's already; the disk now shows
    // its includes to the search for main files.
    if (!m_open.count(key) && m_disk.erase(key)) {
        Changed(key);
        GiveAgain(key);
    }
    Invalidate();
}
