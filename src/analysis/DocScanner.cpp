#include "analysis/DocScanner.h"

#include "analysis/ScanCore.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <QSet>

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>

namespace {

constexpr auto npos = std::string_view::npos;
using Placed = EditorKeywordList::Placed;

// Where an entry ranks among equal names: by line, then by its place among
// the line's entries (an included file's entries counted in).
std::uint64_t OrderOf(int line, std::uint64_t ordinal)
{
    return (std::uint64_t(std::max(line, 0)) << 32) | std::min<std::uint64_t>(ordinal, UINT32_MAX);
}

// Where the items an edit's lines now hold meet those they replace: the
// items [from, to) of `old` that stood on the edited lines `lo`..`hi`, and how
// many of their first and, of the rest, last ones the fresh items repeat.
struct EditedItems {
    std::size_t from, to, head, tail;
};

template <typename Item>
EditedItems MatchEdited(const std::vector<Item>& old, const std::vector<Item>& fresh, int lo, int hi)
{
    const auto byLine = [](const Item& item, int line) { return item.line < line; };
    const auto first = std::lower_bound(old.begin(), old.end(), lo, byLine);
    EditedItems m{std::size_t(first - old.begin()),
                  std::size_t(std::lower_bound(first, old.end(), hi + 1, byLine) - old.begin()), 0, 0};
    const std::size_t oldN = m.to - m.from;
    const std::size_t newN = fresh.size();
    while (m.head < oldN && m.head < newN && old[m.from + m.head].SameAs(fresh[m.head]))
        ++m.head;
    while (m.tail < oldN - m.head && m.tail < newN - m.head && old[m.to - 1 - m.tail].SameAs(fresh[newN - 1 - m.tail]))
        ++m.tail;
    return m;
}

}  // namespace

struct DocScanner::Decl {
    int line = 0;
    std::uint64_t ordinal = 0;
    std::uint32_t keyBase = 0;  // the Key is this much of the Name and the counter
    std::shared_ptr<EditorKeyword> entry;

    std::uint64_t Order() const { return OrderOf(line, ordinal); }
    bool SameAs(const Decl& other) const
    {
        return keyBase == other.keyBase && entry->Style == other.entry->Style && entry->Name == other.entry->Name &&
               entry->ReturnType == other.entry->ReturnType;
    }
};

struct DocScanner::Use {
    int line = 0;
    std::uint64_t ordinal = 0;  // of its first entry
    bool readable = false;
    QString path;  // full, as the document names it
    IncludedFilePtr file;

    std::size_t Size() const { return file ? file->entries.size() : 0; }
    bool SameAs(const Use& other) const { return path == other.path && file == other.file; }
    void Place(std::vector<Placed>& out, int atLine, std::uint64_t atOrdinal) const
    {
        for (std::size_t i = 0; i < Size(); ++i)
            out.push_back({file->entries[i], OrderOf(atLine, atOrdinal + i)});
    }
};

struct DocScanner::Region {
    std::vector<Decl> decls;
    std::vector<Use> uses;
    int lines = 0;
};

DocScanner::DocScanner(std::shared_ptr<IncludeCache> includes) : m_includes(std::move(includes)) {}

DocScanner::~DocScanner() = default;

DocScanner::Region DocScanner::Scan(std::string_view text, int firstLine, int lastLine, scan::Yielder* yielder)
{
    const bool wholeText = lastLine == INT_MAX;
    Region region;
    int line = 0;
    std::uint64_t ordinal = 0;

    class Sink : public scan::DeclSink {
    public:
        Sink(Region& region, const DeclStyles& styles, const int& line, std::uint64_t& ordinal, bool wholeText)
            : m_region(region), m_styles(styles), m_line(line), m_ordinal(ordinal), m_keyed(wholeText),
              m_maker(wholeText ? 1024 : 1)
        {
        }
        void Declared(int kind, int, std::string_view name, std::string_view nameTail,
                      std::string_view returnType) override
        {
            std::shared_ptr<EditorKeyword> e = m_maker.Make();
            e->Name.reserve(name.size() + nameTail.size());
            e->Name.append(name).append(nameTail);
            if (m_keyed) {
                // Scanning the whole text, the counter is the entry's place.
                char digits[24];
                const std::size_t count = std::size_t(
                    std::to_chars(digits, digits + sizeof digits, m_region.decls.size()).ptr - digits);
                e->Key.reserve(name.size() + count);
                e->Key.append(name).append(digits, count);
            }
            e->Style = m_styles.Of(kind);
            e->ReturnType = returnType;
            e->Line = m_line;
            m_region.decls.push_back({m_line, m_ordinal++, std::uint32_t(name.size()), std::move(e)});
        }

    private:
        Region& m_region;
        const DeclStyles& m_styles;
        const int& m_line;
        std::uint64_t& m_ordinal;
        const bool m_keyed;
        EditorKeywordMaker m_maker;
    } sink(region, m_styles, line, ordinal, wholeText);
    // Rather more room than the one declaration in a hundred bytes programs
    // tend to have: growing the list copies it.
    if (wholeText)
        region.decls.reserve(text.size() / 64);

    scan::Collector collector(1, sink);
    region.lines = scan::ForEachStatement(text, scan::kDocumentKeywords, [&](const scan::Statement& st) {
        const int at = firstLine + st.line - 1;
        if (at > lastLine)
            return;
        if (at != line) {
            line = at;
            ordinal = 0;
        }
        if (yielder)
            yielder->Tick();
        if (st.pos[scan::kInclude] != npos) {
            const scan::IncludeTest test = scan::TestInclude(st.text, st.pos[scan::kInclude]);
            if (test.leaveStatement)
                return;
            if (test.path) {
                Use use;
                use.line = line;
                use.ordinal = ordinal;
                const QString written = text::FromBytes(*test.path);
                const bool absolute = paths::IsAbsolute(written);
                use.path = paths::ToSlashes(absolute ? written : paths::Join(m_fileDir, written));
                // A document never saved has no folder: its relative includes
                // name no file yet.
                use.readable = absolute || !m_fileDir.isEmpty();
                if (use.readable)
                    use.file = m_includes->Entries(use.path, m_styles, yielder);
                ordinal += use.Size();
                region.uses.push_back(std::move(use));
            }
        }
        collector.Declaration(st, true);
    });
    return region;
}

void DocScanner::SetKey(std::size_t index)
{
    Decl& d = m_decls[index];
    char digits[24];
    const std::size_t count = std::size_t(std::to_chars(digits, digits + sizeof digits, index).ptr - digits);
    std::string& key = d.entry->Key;
    key.clear();
    key.reserve(d.keyBase + count);
    key.append(d.entry->Name, 0, d.keyBase).append(digits, count);
}

void DocScanner::Rebuild(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                         const std::function<void()>& yield, std::chrono::milliseconds yieldInterval)
{
    m_includes->NewScan();
    m_fileDir = fileDir;
    m_styles = styles;
    m_scanned = true;
    scan::Yielder yielder(yield, yieldInterval);
    Region region = Scan(text, 1, INT_MAX, &yielder);
    m_decls = std::move(region.decls);
    // The room set aside for the scan is given back while the document's
    // program is yet to be read: a large document holds both at once.
    m_decls.shrink_to_fit();
    m_uses = std::move(region.uses);
    m_lineCount = region.lines;

    std::vector<Placed> all;
    all.reserve(m_decls.size() + [&] {
        std::size_t included = 0;
        for (const Use& u : m_uses)
            included += u.Size();
        return included;
    }());
    for (const Decl& d : m_decls)
        all.push_back({d.entry, d.Order()});
    for (const Use& u : m_uses)
        u.Place(all, u.line, u.ordinal);
    auto list = std::make_shared<EditorKeywordList>();
    list->Option = true;
    list->Patch({}, std::move(all));
    m_list = std::move(list);
    RefreshIncludePaths();
}

bool DocScanner::Follows(const QString& fileDir, const DeclStyles& styles) const
{
    return m_scanned && fileDir == m_fileDir && styles == m_styles;
}

ScanChanges DocScanner::Update(int first, int oldCount, std::string_view lines, int newCount)
{
    m_includes->NewScan();
    ScanChanges changes;
    first = std::clamp(first, 0, m_lineCount);
    oldCount = std::clamp(oldCount, 0, m_lineCount - first);
    newCount = std::max(newCount, 0);
    const int lo = first + 1;  // lines count from 1 here
    const int oldHi = first + oldCount;
    const int newHi = first + newCount;
    const int delta = newCount - oldCount;

    Region fresh = Scan(lines, lo, newHi, nullptr);
    std::vector<Placed> removed;
    std::vector<Placed> added;

    // The document's own declarations: those the edit left as they were, at
    // either end of the edited lines, keep their entries.
    std::vector<Decl>& nd = fresh.decls;
    const auto [d0, d1, p, s] = MatchEdited(m_decls, nd, lo, oldHi);
    const std::size_t oldN = d1 - d0;
    const std::size_t newN = nd.size();
    auto keep = [&](Decl& old, const Decl& now) {
        if (old.line == now.line && old.ordinal == now.ordinal)
            return;
        removed.push_back({old.entry, old.Order()});
        old.line = now.line;
        old.ordinal = now.ordinal;
        old.entry->Line = now.line;
        added.push_back({old.entry, old.Order()});
    };
    for (std::size_t i = 0; i < p; ++i)
        keep(m_decls[d0 + i], nd[i]);
    for (std::size_t i = 0; i < s; ++i)
        keep(m_decls[d1 - 1 - i], nd[newN - 1 - i]);
    for (std::size_t i = d0 + p; i < d1 - s; ++i) {
        removed.push_back({m_decls[i].entry, m_decls[i].Order()});
        changes.removed.push_back(m_decls[i].entry);
    }
    const std::size_t middle = newN - p - s;
    m_decls.erase(m_decls.begin() + std::ptrdiff_t(d0 + p), m_decls.begin() + std::ptrdiff_t(d1 - s));
    m_decls.insert(m_decls.begin() + std::ptrdiff_t(d0 + p), std::make_move_iterator(nd.begin() + std::ptrdiff_t(p)),
                   std::make_move_iterator(nd.begin() + std::ptrdiff_t(p + middle)));
    const std::size_t after = d0 + p + middle + s;
    for (std::size_t i = d0 + p; i < d0 + p + middle; ++i) {
        SetKey(i);
        added.push_back({m_decls[i].entry, m_decls[i].Order()});
        changes.added.push_back(m_decls[i].entry);
    }
    // Keys count the entries before them; lines follow the edit.
    if (oldN != newN)
        for (std::size_t i = d0 + p + middle; i < m_decls.size(); ++i)
            SetKey(i);
    if (delta != 0)
        for (std::size_t i = after; i < m_decls.size(); ++i) {
            m_decls[i].line += delta;
            m_decls[i].entry->Line = m_decls[i].line;
        }

    // The Include statements, matched the same way.
    std::vector<Use>& nu = fresh.uses;
    const auto [u0, u1, up, us] = MatchEdited(m_uses, nu, lo, oldHi);
    const std::size_t oldU = u1 - u0;
    const std::size_t newU = nu.size();
    auto keepUse = [&](Use& old, const Use& now) {
        if (old.line == now.line && old.ordinal == now.ordinal)
            return;
        old.Place(removed, old.line, old.ordinal);
        old.line = now.line;
        old.ordinal = now.ordinal;
        old.Place(added, old.line, old.ordinal);
    };
    for (std::size_t i = 0; i < up; ++i)
        keepUse(m_uses[u0 + i], nu[i]);
    for (std::size_t i = 0; i < us; ++i)
        keepUse(m_uses[u1 - 1 - i], nu[newU - 1 - i]);
    for (std::size_t i = u0 + up; i < u1 - us; ++i) {
        m_uses[i].Place(removed, m_uses[i].line, m_uses[i].ordinal);
        if (m_uses[i].file)
            changes.removed.insert(changes.removed.end(), m_uses[i].file->entries.begin(), m_uses[i].file->entries.end());
    }
    const std::size_t usesMiddle = newU - up - us;
    for (std::size_t i = up; i < up + usesMiddle; ++i) {
        nu[i].Place(added, nu[i].line, nu[i].ordinal);
        if (nu[i].file)
            changes.added.insert(changes.added.end(), nu[i].file->entries.begin(), nu[i].file->entries.end());
    }
    m_uses.erase(m_uses.begin() + std::ptrdiff_t(u0 + up), m_uses.begin() + std::ptrdiff_t(u1 - us));
    m_uses.insert(m_uses.begin() + std::ptrdiff_t(u0 + up), std::make_move_iterator(nu.begin() + std::ptrdiff_t(up)),
                  std::make_move_iterator(nu.begin() + std::ptrdiff_t(up + usesMiddle)));
    if (delta != 0)
        for (std::size_t i = u0 + up + usesMiddle + us; i < m_uses.size(); ++i)
            m_uses[i].line += delta;

    m_lineCount += delta;
    if (!removed.empty() || !added.empty() || delta != 0)
        m_list->Patch(std::move(removed), std::move(added), OrderOf(oldHi + 1, 0), std::int64_t(delta) * (std::int64_t(1) << 32));
    else if (oldN != newN)
        m_list->KeysChanged();

    if (oldU != 0 || newU != 0)
        changes.includesChanged = RefreshIncludePaths();
    return changes;
}

ScanChanges DocScanner::Revalidate()
{
    m_includes->NewScan();
    return RevalidateIncludes();
}

ScanChanges DocScanner::RevalidateIncludes()
{
    ScanChanges changes;
    std::map<std::size_t, IncludedFilePtr> changed;  // by use
    for (std::size_t i = 0; i < m_uses.size(); ++i) {
        Use& u = m_uses[i];
        if (!u.readable)
            continue;
        IncludedFilePtr now = m_includes->Entries(u.path, m_styles);
        if (now != u.file)
            changed.emplace(i, std::move(now));
    }
    if (changed.empty())
        return changes;

    // A file that now declares more or fewer names moves the later entries of
    // its line: each line holding one is placed again.
    std::vector<Placed> removed;
    std::vector<Placed> added;
    const auto byLine = [](const auto& item, int line) { return item.line < line; };
    int lastLine = -1;
    for (const auto& [index, file] : changed) {
        const int line = m_uses[index].line;
        if (line == lastLine)
            continue;
        lastLine = line;
        auto d = std::lower_bound(m_decls.begin(), m_decls.end(), line, byLine);
        auto u = std::lower_bound(m_uses.begin(), m_uses.end(), line, byLine);
        std::uint64_t running = 0;
        while ((d != m_decls.end() && d->line == line) || (u != m_uses.end() && u->line == line)) {
            // At an equal place the Include came first: a declaration always
            // takes a place of its own.
            const bool takeUse =
                u != m_uses.end() && u->line == line && (d == m_decls.end() || d->line != line || u->ordinal <= d->ordinal);
            if (takeUse) {
                const auto swap = changed.find(std::size_t(u - m_uses.begin()));
                if (swap != changed.end()) {
                    u->Place(removed, u->line, u->ordinal);
                    if (u->file)
                        changes.removed.insert(changes.removed.end(), u->file->entries.begin(), u->file->entries.end());
                    u->file = swap->second;
                    u->ordinal = running;
                    u->Place(added, u->line, u->ordinal);
                    if (u->file)
                        changes.added.insert(changes.added.end(), u->file->entries.begin(), u->file->entries.end());
                } else if (u->ordinal != running) {
                    u->Place(removed, u->line, u->ordinal);
                    u->ordinal = running;
                    u->Place(added, u->line, u->ordinal);
                }
                running += u->Size();
                ++u;
            } else {
                if (d->ordinal != running) {
                    removed.push_back({d->entry, d->Order()});
                    d->ordinal = running;
                    added.push_back({d->entry, d->Order()});
                }
                ++running;
                ++d;
            }
        }
    }
    m_list->Patch(std::move(removed), std::move(added));
    return changes;
}

bool DocScanner::RefreshIncludePaths()
{
    // Windows file names ignore case, so a path differing only in case is
    // the same include.
    QStringList paths;
    QSet<QString> seen;
    for (const Use& u : m_uses) {
        const QString key = u.path.toLower();
        if (!seen.contains(key)) {
            seen.insert(key);
            paths.push_back(u.path);
        }
    }
    if (paths == m_includePaths)
        return false;
    m_includePaths = std::move(paths);
    return true;
}
