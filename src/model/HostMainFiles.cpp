// The host's main files: which program each open document is checked
// with, worked out again once the event that changed anything is done, and
// the choices the user made of them.
#include "model/ProgramHost.h"

#include "language/Includes.h"
#include "model/MainFiles.h"

#include <algorithm>

std::string ProgramHost::MainKey(const std::string& doc)
{
    if (const auto it = m_mainOf.find(doc); it != m_mainOf.end() && it->second.first == m_round)
        return it->second.second;
    const std::uint64_t round = m_round;
    std::string main = FindMain(doc);
    m_mainOf[doc] = {round, main};
    return main;
}

QString ProgramHost::MainFileOf(const QString& path)
{
    TakeWaitingEdits();
    const std::string key = KeyOf(path);
    const std::string main = MainKey(key);
    return main == key ? path : PathOf(main);
}

bool ProgramHost::ChooseMainFile(const QString& path, QString* error)
{
    if (!mainfiles::SaveChoice(m_prefsPath, path, error))
        return false;
    m_chosen[std::string(lang::FolderOf(KeyOf(path)))] = path;
    Invalidate();
    return true;
}

void ProgramHost::Invalidate()
{
    ++m_round;
    m_settle.start();
}

void ProgramHost::Settle()
{
    TakeWaitingEdits();
    std::vector<std::string> open;
    for (const auto& [key, path] : m_open)
        open.push_back(key);
    std::sort(open.begin(), open.end());
    std::unordered_map<std::string, std::string> mains;
    for (const std::string& key : open)
        mains[key] = MainKey(key);
    // A program no open document is checked with goes, and its files with it.
    for (auto it = m_programs.begin(); it != m_programs.end();) {
        const bool used = std::any_of(mains.begin(), mains.end(), [&](const auto& m) { return m.second == it->first; });
        it = used ? std::next(it) : m_programs.erase(it);
    }
    UpdateWatches();
    if (mains != m_announced) {
        m_announced = std::move(mains);
        Q_EMIT MainFilesChanged();
    }
}
