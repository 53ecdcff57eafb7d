#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Which main file a document is checked and built with, found without
// asking. A document no program includes is its own main file; otherwise it
// belongs to the program that includes it, at any depth, with every Include
// resolved as the compiler resolves it (against the main file's folder).
// Files are named by model keys (lang::FileKey).
//
// The search looks, in this order, at: the main files the user chose for the
// document's folder and the folders above it, nearest first; the programs in
// use and the open documents; then the .bb files of those folders. Of
// the files that include the document it takes the outermost one (a file no
// other of them includes), the user's choice first, then the earlier group.
// Its cost is bounded: at most kMaxSourcesPerFolder files of each folder are
// candidates, at most kMaxFoldersUp folders above the document's own are
// looked at, and one search reads at most kMaxFilesRead files and
// kMaxBytesRead bytes in all; a search that reaches a bound keeps what it
// found so far.
class MainFileSearch {
public:
    static constexpr std::size_t kMaxSourcesPerFolder = 200;
    static constexpr std::size_t kMaxFoldersUp = 16;
    static constexpr std::size_t kMaxFilesRead = 2000;
    static constexpr std::size_t kMaxBytesRead = std::size_t(64) << 20;

    // A file's text by key, nullopt when it cannot be read.
    std::function<std::optional<std::string>(const std::string& key)> text;
    // The keys of the .bb files of a folder (a key's folder part), in name order.
    std::function<std::vector<std::string>(const std::string& folder)> sources;
    // The files of a program already built, by its main file; nullopt for none.
    std::function<std::optional<std::vector<std::string>>(const std::string& main)> knownFiles;
    // The main file the user chose for a folder, nullopt for none.
    std::function<std::optional<std::string>(const std::string& folder)> chosen;
    // The main files of the programs in use, then the open documents.
    std::vector<std::string> known;

    // The main file of the document `doc`.
    std::string Find(const std::string& doc);

private:
    // Whether the program of `main` includes `doc`.
    bool Reaches(const std::string& main, const std::string& doc);
    const std::vector<std::string>* IncludesOf(const std::string& key);

    // Read once per search: the Include paths of each file read.
    std::map<std::string, std::optional<std::vector<std::string>>> m_includes;
    std::size_t m_filesRead = 0;
    std::size_t m_bytesRead = 0;
};

// The main files chosen with Build > Set as Main File, kept in the user's
// prefs.ini: one line per folder, the folder as it is on disk and the main
// file's name.
namespace mainfiles {

// The choices, by the folder's key; each value is the main file's full path.
std::map<std::string, QString> LoadChoices(const QString& prefsPath);
// Keeps `mainPath` as the main file of its folder; false with the reason
// when prefs.ini cannot be written.
bool SaveChoice(const QString& prefsPath, const QString& mainPath, QString* error);

}  // namespace mainfiles
