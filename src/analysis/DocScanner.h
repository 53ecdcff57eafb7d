#pragma once

#include "analysis/IncludeFiles.h"
#include "editor/Keywords.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace scan {
class Yielder;
}

// What a rescan changed in a document's list: the entries that left it and
// the entries that joined it. An entry that only moved to another line is in
// neither; its Line and Key are updated where it stands.
struct ScanChanges {
    std::vector<EditorKeywordPtr> removed;
    std::vector<EditorKeywordPtr> added;
    bool includesChanged = false;
    bool Empty() const { return removed.empty() && added.empty() && !includesChanged; }
};

// The declarations of one document, kept from scan to scan so that a rescan
// costs what the edit costs. The scan has no state from one line to the
// next, so only the edited lines are read again; what they declare is
// matched against what they declared before, and the list is changed in
// place. Included files come from the shared IncludeCache, which reads a
// file again only when it changed; the disk is looked at again when the
// owner says files changed (Revalidate), not at every edit. The result is always the one a full
// scan of the same text gives, keys and order included.
class DocScanner {
public:
    explicit DocScanner(std::shared_ptr<IncludeCache> includes);
    ~DocScanner();

    // Scans the whole text (lines end at CR LF, LF or CR) into a new list.
    // Relative include paths are taken from `fileDir`. `yield` is called now
    // and then, at most once per `yieldInterval`.
    void Rebuild(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                 const std::function<void()>& yield = {},
                 std::chrono::milliseconds yieldInterval = std::chrono::milliseconds(20));
    // Whether Update can follow edits, or the text must be scanned anew: never
    // scanned yet, moved to another folder, or the styles were made anew.
    bool Follows(const QString& fileDir, const DeclStyles& styles) const;
    // The `oldCount` lines from line `first` (from 0) of the text scanned
    // last became the `newCount` lines of `lines` (their line ends
    // included). Only Include statements on those lines look at the disk.
    ScanChanges Update(int first, int oldCount, std::string_view lines, int newCount);
    // Included files may have changed on disk: each is looked at, and read
    // again when it did.
    ScanChanges Revalidate();

    // The list: a new one after Rebuild, the same one changed in place by
    // Update.
    const EditorKeywordListPtr& DocKeywords() const { return m_list; }
    // Every include path met, once each, in the order first met.
    const QStringList& Includes() const { return m_includePaths; }
    int LineCount() const { return m_lineCount; }
private:
    struct Decl;
    struct Use;
    struct Region;

    Region Scan(std::string_view text, int firstLine, int lastLine, scan::Yielder* yielder);
    void SetKey(std::size_t index);
    ScanChanges RevalidateIncludes();
    bool RefreshIncludePaths();

    std::shared_ptr<IncludeCache> m_includes;
    QString m_fileDir;
    DeclStyles m_styles;
    bool m_scanned = false;
    int m_lineCount = 1;
    std::vector<Decl> m_decls;  // the document's own entries in scan order; the index is the key counter
    std::vector<Use> m_uses;    // the Include statements followed, in scan order
    EditorKeywordListPtr m_list = std::make_shared<EditorKeywordList>();
    QStringList m_includePaths;
};
