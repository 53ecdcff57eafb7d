#include "model/MainFiles.h"

#include "language/Includes.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QFileInfo>

#include <algorithm>
#include <deque>
#include <set>

namespace {

// The document's folder and those above it, nearest first: a game keeps its
// includes folders below its main file ("Game\\Stage\\x.bb").
std::vector<std::string> FoldersUp(const std::string& doc)
{
    std::vector<std::string> folders;
    std::string folder(lang::FolderOf(doc));
    while (!folder.empty() && folders.size() <= MainFileSearch::kMaxFoldersUp) {
        if (!folders.empty() && folders.back() == folder)
            break;
        folders.push_back(folder);
        folder = std::string(lang::FolderOf(folder));
    }
    return folders;
}

void AddOnce(std::vector<std::string>& list, const std::string& key)
{
    if (!key.empty() && std::find(list.begin(), list.end(), key) == list.end())
        list.push_back(key);
}

}  // namespace

const std::vector<std::string>* MainFileSearch::IncludesOf(const std::string& key)
{
    auto it = m_includes.find(key);
    if (it == m_includes.end()) {
        std::optional<std::vector<std::string>> paths;
        if (m_filesRead < kMaxFilesRead && m_bytesRead < kMaxBytesRead) {
            if (const std::optional<std::string> source = text(key)) {
                ++m_filesRead;
                m_bytesRead += source->size();
                paths = lang::IncludePaths(*source);
            }
        }
        it = m_includes.emplace(key, std::move(paths)).first;
    }
    return it->second ? &*it->second : nullptr;
}

bool MainFileSearch::Reaches(const std::string& main, const std::string& doc)
{
    if (main == doc)
        return true;
    if (knownFiles)
        if (const std::optional<std::vector<std::string>> files = knownFiles(main))
            return std::find(files->begin(), files->end(), doc) != files->end();
    // The include graph as the compiler walks it: every path against the
    // main file's folder, each file once.
    const std::string mainDir(lang::FolderOf(main));
    std::set<std::string> seen{main};
    std::deque<std::string> queue{main};
    while (!queue.empty()) {
        const std::string key = std::move(queue.front());
        queue.pop_front();
        const std::vector<std::string>* paths = IncludesOf(key);
        if (!paths)
            continue;
        for (const std::string& path : *paths) {
            const std::optional<std::string> target = lang::ResolveInclude(mainDir, path);
            if (!target || !seen.insert(*target).second)
                continue;
            if (*target == doc)
                return true;
            queue.push_back(*target);
        }
    }
    return false;
}

std::string MainFileSearch::Find(const std::string& doc)
{
    const std::vector<std::string> folders = FoldersUp(doc);
    if (chosen) {
        for (const std::string& f : folders) {
            const std::optional<std::string> main = chosen(f);
            if (main && Reaches(*main, doc))
                return *main;
        }
    }
    std::vector<std::string> candidates;
    for (const std::string& k : known)
        AddOnce(candidates, k);
    const std::size_t knownCount = candidates.size();
    if (sources) {
        for (const std::string& f : folders) {
            std::vector<std::string> beside = sources(f);
            if (beside.size() > kMaxSourcesPerFolder)
                beside.resize(kMaxSourcesPerFolder);
            for (const std::string& k : beside)
                AddOnce(candidates, k);
        }
    }
    std::vector<std::size_t> includers;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i] != doc && Reaches(candidates[i], doc))
            includers.push_back(i);
    if (includers.empty())
        return doc;
    // The outermost: an include of an include leads up to the program's main file.
    std::vector<std::size_t> roots;
    for (std::size_t i : includers) {
        const bool inner = std::any_of(includers.begin(), includers.end(), [&](std::size_t j) {
            return j != i && Reaches(candidates[j], candidates[i]) && !Reaches(candidates[i], candidates[j]);
        });
        if (!inner)
            roots.push_back(i);
    }
    if (roots.empty())
        roots = includers;  // a cycle: every one of them includes the others
    const auto isChosen = [&](std::size_t i) {
        const std::optional<std::string> main = chosen ? chosen(std::string(lang::FolderOf(candidates[i]))) : std::nullopt;
        return main && *main == candidates[i];
    };
    const auto best = std::min_element(roots.begin(), roots.end(), [&](std::size_t a, std::size_t b) {
        const int ra = isChosen(a) ? 0 : a < knownCount ? 1 : 2;
        const int rb = isChosen(b) ? 0 : b < knownCount ? 1 : 2;
        return ra != rb ? ra < rb : a < b;
    });
    return candidates[*best];
}

namespace mainfiles {

namespace {

constexpr const char* kSection = "MainFiles";
// Far more folders than anyone builds programs in.
constexpr int kMaxChoices = 500;

std::string EntryKey(int i)
{
    return "Main" + std::to_string(i);
}

}  // namespace

std::map<std::string, QString> LoadChoices(const QString& prefsPath)
{
    const IniFile ini = IniFile::Load(prefsPath);
    std::map<std::string, QString> choices;
    for (int i = 1; i <= kMaxChoices; ++i) {
        const std::string value = ini.Get(kSection, EntryKey(i), "");
        if (value.empty())
            break;
        const QString path = paths::ToSlashes(QString::fromStdString(value));
        choices[std::string(lang::FolderOf(lang::FileKey(path.toStdString())))] = path;
    }
    return choices;
}

bool SaveChoice(const QString& prefsPath, const QString& mainPath, QString* error)
{
    std::optional<IniFile> ini = IniFile::LoadForUpdate(prefsPath, error);
    if (!ini)
        return false;
    const std::string value = QFileInfo(mainPath).absoluteFilePath().toStdString();
    if (value.size() > std::size_t(IniFile::kMaxValueLength)) {
        if (error)
            *error = QStringLiteral("The path is longer than prefs.ini keeps (%1 characters).")
                         .arg(IniFile::kMaxValueLength);
        return false;
    }
    const std::string folder(lang::FolderOf(lang::FileKey(value)));
    // The folder's line is replaced; a new folder takes the first free line.
    int slot = 1;
    for (; slot <= kMaxChoices; ++slot) {
        const std::string kept = ini->Get(kSection, EntryKey(slot), "");
        if (kept.empty() || lang::FolderOf(lang::FileKey(kept)) == folder)
            break;
    }
    if (slot > kMaxChoices)
        slot = kMaxChoices;
    ini->Set(kSection, EntryKey(slot), value);
    return ini->Save(prefsPath, error);
}

}  // namespace mainfiles
