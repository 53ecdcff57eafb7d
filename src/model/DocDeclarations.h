#pragma once

#include "editor/Keywords.h"
#include "language/Program.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// What a rescan changed in a document's list: the entries that left it and
// the entries that joined it. An entry that only moved to another line is in
// neither; its Line and Key are updated where it stands.
struct ScanChanges {
    std::vector<EditorKeywordPtr> removed;
    std::vector<EditorKeywordPtr> added;
    bool includesChanged = false;
    bool Empty() const { return removed.empty() && added.empty() && !includesChanged; }
};

// Where a document's declarations are read: the program model holding the
// document, and the lines of the files it includes (the model keeps names
// in lower case; the list shows them as written).
struct DeclSource {
    const lang::Program& program;
    std::string key;  // the document's
    // A row of an included file, without its line end.
    std::function<std::string(const std::string& key, std::uint32_t row)> line;
    // Changes whenever a file's text does: an included file's entries are
    // made again only then.
    std::function<std::uint64_t(const std::string& key)> revision;
};

// The keyword list of one document, read from the program model and kept
// from scan to scan so that a rescan costs what the edit costs: only the
// model's answers for the edited lines are read again, matched against what
// those lines declared before, and the list is changed in place. The result
// is always the one a full scan of the same text gives, keys and order
// included.
class DocDeclarations {
public:
    DocDeclarations();
    ~DocDeclarations();

    // Reads the whole document, whose text (lines end at CR LF, LF or CR) the
    // model holds too, into a new list; `yield` is called now and then, at
    // most once per `yieldInterval`.
    void Rebuild(const DeclSource& source, std::string_view text, const DeclStyles& styles,
                 const std::function<void()>& yield = {},
                 std::chrono::milliseconds yieldInterval = std::chrono::milliseconds(20));
    // Whether Update can follow edits, or the document must be read anew:
    // never read yet, known to the model by another key, or the styles were
    // made anew.
    bool Follows(const std::string& key, const DeclStyles& styles) const;
    // The `oldCount` lines from line `first` (from 0) of the text read last
    // became the `newCount` lines of `lines` (their line ends included),
    // which the model has been told of.
    ScanChanges Update(const DeclSource& source, int first, int oldCount, std::string_view lines, int newCount);
    // Included files whose text changed give their entries anew.
    ScanChanges Revalidate(const DeclSource& source);

    // The list: a new one after Rebuild, the same one changed in place by
    // Update.
    const EditorKeywordListPtr& DocKeywords() const { return m_list; }
    // The key of every file an Include names, once each, in the order first met.
    const QStringList& Includes() const { return m_includePaths; }
    int LineCount() const { return m_lineCount; }

private:
    struct Decl;
    struct Use;
    struct Region;
    struct Included;

    Region Read(const DeclSource& source, std::string_view text, int first, int end, bool wholeText,
                const std::function<void()>& tick);
    std::shared_ptr<const Included> IncludedEntries(const DeclSource& source, const std::string& key);
    void SetKey(std::size_t index);
    bool RefreshIncludePaths();

    std::string m_key;
    DeclStyles m_styles;
    bool m_scanned = false;
    int m_lineCount = 1;
    std::vector<Decl> m_decls;  // the document's own entries in text order; the index is the key counter
    std::vector<Use> m_uses;    // the Include statements, in text order
    std::unordered_map<std::string, std::shared_ptr<const Included>> m_included;  // by file key
    EditorKeywordListPtr m_list = std::make_shared<EditorKeywordList>();
    QStringList m_includePaths;
};

// Reads an included file as bytes, by the key the model names it by;
// nullopt when it cannot be read.
using IncludeReader = std::function<std::optional<std::string>(const std::string& key)>;
struct ScanOptions {
    // Empty means the disk, where a key still finds a file whose name has
    // capitals.
    IncludeReader readInclude;
};
struct ScanResult {
    EditorKeywordListPtr DocKeywords;
    QStringList Includes;
};
// The keyword list of a text read as the main file of a program in
// `fileDir` (the document's folder with a trailing '/'), its included files
// read too.
ScanResult ScanDocument(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                        const ScanOptions& options = {});
