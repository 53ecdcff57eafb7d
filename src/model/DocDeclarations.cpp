#include "model/DocDeclarations.h"

#include "language/Includes.h"
#include "language/Lexer.h"
#include "platform/Paths.h"
#include "platform/SourceFile.h"

#include <QSet>

#include <algorithm>
#include <charconv>
#include <map>

namespace {

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

int KindOf(lang::SymbolKind kind)
{
    switch (kind) {
    case lang::SymbolKind::Constant: return kKindConst;
    case lang::SymbolKind::Local: return kKindLocal;
    case lang::SymbolKind::Function: return kKindFunction;
    case lang::SymbolKind::Type: return kKindType;
    case lang::SymbolKind::Label: return kKindLabel;
    default: return kKindGlobal;
    }
}

// An entry as the declaration's line writes it: constants and functions
// carry their type in the Name (Area#), variables in ReturnType, untyped
// ones an integer's; an array's Name ends in "()". `keyBase` is how much of
// the Name its Key starts with. Null when the line no longer holds the name.
std::shared_ptr<EditorKeyword> EntryOf(const lang::Declaration& d, std::string_view line, const DeclStyles& styles,
                                       int lineNumber, std::uint32_t& keyBase, EditorKeywordMaker& maker)
{
    if (d.endCol > line.size() || d.col >= d.endCol)
        return nullptr;
    std::shared_ptr<EditorKeyword> e = maker.Make();
    e->Name = line.substr(d.col, d.endCol - d.col);
    std::string type;
    if (d.tag == '.' && d.typeEndCol <= line.size() && d.typeCol < d.typeEndCol)
        type = "." + std::string(line.substr(d.typeCol, d.typeEndCol - d.typeCol));
    else if (d.tag && d.tag != '.')
        type = d.tag;
    switch (d.kind) {
    case lang::SymbolKind::Constant:
    case lang::SymbolKind::Function: e->Name += type; break;
    case lang::SymbolKind::Global:
    case lang::SymbolKind::Local:
    case lang::SymbolKind::Array: e->ReturnType = type.empty() ? "%" : type; break;
    default: break;
    }
    keyBase = std::uint32_t(e->Name.size());
    if (d.kind == lang::SymbolKind::Array)
        e->Name += "()";
    e->Style = styles.Of(KindOf(d.kind));
    e->Line = lineNumber;
    return e;
}

void AppendKey(ShortText& key, std::string_view name, std::size_t counter)
{
    // Every key after an edit that adds or removes a name is written again:
    // on the stack, unless the name is long.
    char room[64];
    if (name.size() + 24 <= sizeof room) {
        std::copy(name.begin(), name.end(), room);
        char* const end = std::to_chars(room + name.size(), room + sizeof room, counter).ptr;
        key = ShortText(std::string_view(room, std::size_t(end - room)));
        return;
    }
    key = ShortText(std::string(name) + std::to_string(counter));
}

}  // namespace

// One for each name a document declares, millions in a large one: laid
// out without padding.
struct DocDeclarations::Decl {
    int line = 0;
    std::uint32_t keyBase = 0;
    std::uint64_t ordinal = 0;
    std::shared_ptr<EditorKeyword> entry;

    std::uint64_t Order() const { return OrderOf(line, ordinal); }
    bool SameAs(const Decl& other) const
    {
        return keyBase == other.keyBase && entry->Style == other.entry->Style && entry->Name == other.entry->Name &&
               entry->ReturnType == other.entry->ReturnType;
    }
};

// An included file's entries, in list order, as of one revision of it.
struct DocDeclarations::Included {
    std::uint64_t revision = 0;
    std::vector<EditorKeywordPtr> entries;
};

struct DocDeclarations::Use {
    int line = 0;
    std::uint64_t ordinal = 0;  // of its first entry
    std::string key;
    std::shared_ptr<const Included> file;

    std::size_t Size() const { return file ? file->entries.size() : 0; }
    bool SameAs(const Use& other) const { return key == other.key && file == other.file; }
    void Place(std::vector<Placed>& out, int atLine, std::uint64_t atOrdinal) const
    {
        for (std::size_t i = 0; i < Size(); ++i)
            out.push_back({file->entries[i], OrderOf(atLine, atOrdinal + i)});
    }
};

struct DocDeclarations::Region {
    std::vector<Decl> decls;
    std::vector<Use> uses;
    bool stale = false;  // the program changed while it was read
};

DocDeclarations::DocDeclarations() = default;

DocDeclarations::~DocDeclarations() = default;

std::shared_ptr<const DocDeclarations::Included> DocDeclarations::IncludedEntries(const DeclSource& source,
                                                                                  const std::string& key)
{
    const std::uint64_t revision = source.revision ? source.revision(key) : 0;
    std::shared_ptr<const Included>& kept = m_included[key];
    if (kept && kept->revision == revision)
        return kept;
    // An included file lends its globals, arrays, constants, types and
    // functions: not its locals, labels or own includes.
    auto made = std::make_shared<Included>();
    made->revision = revision;
    std::uint32_t keyBase = 0;
    EditorKeywordMaker maker(256);
    source.program.VisitDeclarations(key, 0, source.program.LineCount(key), [&](const lang::Declaration& d) {
        if (d.include || d.kind == lang::SymbolKind::Local || d.kind == lang::SymbolKind::Label)
            return;
        const std::string line = source.line(key, d.row);
        if (std::shared_ptr<EditorKeyword> e = EntryOf(d, line, m_styles, -int(d.row) - 1, keyBase, maker)) {
            AppendKey(e->Key, std::string_view(e->Name).substr(0, keyBase), made->entries.size());
            made->entries.push_back(std::move(e));
        }
    });
    std::stable_sort(made->entries.begin(), made->entries.end(), [](const EditorKeywordPtr& a, const EditorKeywordPtr& b) {
        return EditorKeywordList::CompareNames(a->Name, b->Name) < 0;
    });
    kept = std::move(made);
    return kept;
}

DocDeclarations::Region DocDeclarations::Read(const DeclSource& source, std::string_view text, int first, int end,
                                              bool wholeText, const std::function<void()>& tick)
{
    Region region;
    lang::LineCursor lines(text);
    int line = -1;
    std::uint64_t ordinal = 0;
    // A whole text makes tens of thousands of entries: in blocks.
    EditorKeywordMaker maker(wholeText ? 1024 : 1);
    if (wholeText)
        region.decls.reserve(text.size() / 64);
    // Taken a band of rows at a time, so that the program is never read
    // while `tick` lets the window run and perhaps edit it, and no list of a
    // whole large file's declarations is held at once.
    constexpr std::uint32_t kBandRows = 4096;
    const std::uint64_t revision = source.revision ? source.revision(m_key) : 0;
    std::vector<lang::Declaration> band;
    for (auto from = std::uint32_t(first); from < std::uint32_t(end); from += kBandRows) {
        if (source.revision && source.revision(m_key) != revision) {
            // The text read is no longer the program's: what follows would
            // mix the two.
            region.stale = true;
            break;
        }
        band.clear();
        source.program.VisitDeclarations(m_key, from, std::min(std::uint32_t(end), from + kBandRows),
                                         [&](const lang::Declaration& d) { band.push_back(d); });
        for (const lang::Declaration& d : band) {
            const int at = int(d.row) + 1;
            if (at != line) {
                line = at;
                ordinal = 0;
            }
            if (tick)
                tick();
            if (d.include) {
                Use use{line, ordinal, *d.include, IncludedEntries(source, *d.include)};
                ordinal += use.Size();
                region.uses.push_back(std::move(use));
                continue;
            }
            std::uint32_t keyBase = 0;
            std::shared_ptr<EditorKeyword> e =
                EntryOf(d, lines.Line(d.row - std::uint32_t(first)), m_styles, line, keyBase, maker);
            if (!e)
                continue;
            // Reading the whole text, the counter is the entry's place.
            if (wholeText)
                AppendKey(e->Key, std::string_view(e->Name).substr(0, keyBase), region.decls.size());
            region.decls.push_back({line, keyBase, ordinal++, std::move(e)});
        }
    }
    return region;
}

void DocDeclarations::SetKey(std::size_t index)
{
    Decl& d = m_decls[index];
    AppendKey(d.entry->Key, std::string_view(d.entry->Name).substr(0, d.keyBase), index);
}

void DocDeclarations::Rebuild(const DeclSource& source, std::string_view text, const DeclStyles& styles,
                              const std::function<void()>& yield, std::chrono::milliseconds yieldInterval)
{
    if (!(styles == m_styles))
        m_included.clear();
    m_key = source.key;
    m_styles = styles;
    m_scanned = true;
    m_lineCount = int(lang::LineCursor::Count(text));
    // Gives the window its turns without asking the clock at every name.
    unsigned count = 0;
    auto last = std::chrono::steady_clock::now();
    const auto tick = [&] {
        if (!yield || (++count & 255) != 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last >= yieldInterval) {
            yield();
            last = std::chrono::steady_clock::now();
        }
    };
    Region region = Read(source, text, 0, m_lineCount, true, tick);
    // A list read from a text the program no longer holds cannot be
    // followed by edits: the next scan reads anew.
    m_scanned = !region.stale;
    m_decls = std::move(region.decls);
    // The room set aside for the scan is given back while the document's
    // program is yet to be read: a large document holds both at once.
    m_decls.shrink_to_fit();
    m_uses = std::move(region.uses);

    std::vector<Placed> all;
    all.reserve(m_decls.size());
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

bool DocDeclarations::Follows(const std::string& key, const DeclStyles& styles) const
{
    return m_scanned && key == m_key && styles == m_styles;
}

ScanChanges DocDeclarations::Update(const DeclSource& source, int first, int oldCount, std::string_view lines,
                                    int newCount)
{
    ScanChanges changes;
    first = std::clamp(first, 0, m_lineCount);
    oldCount = std::clamp(oldCount, 0, m_lineCount - first);
    newCount = std::max(newCount, 0);
    const int lo = first + 1;  // lines count from 1 here
    const int oldHi = first + oldCount;
    const int delta = newCount - oldCount;

    Region fresh = Read(source, lines, first, first + newCount, false, {});
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

ScanChanges DocDeclarations::Revalidate(const DeclSource& source)
{
    ScanChanges changes;
    std::map<std::size_t, std::shared_ptr<const Included>> changed;  // by use
    for (std::size_t i = 0; i < m_uses.size(); ++i)
        if (std::shared_ptr<const Included> now = IncludedEntries(source, m_uses[i].key); now != m_uses[i].file)
            changed.emplace(i, std::move(now));
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

bool DocDeclarations::RefreshIncludePaths()
{
    QStringList paths;
    QSet<QString> seen;
    for (const Use& u : m_uses) {
        const QString key = QString::fromStdString(u.key);
        if (!seen.contains(key)) {
            seen.insert(key);
            paths.push_back(key);
        }
    }
    // Files no longer included are let go.
    std::erase_if(m_included, [&](const auto& kept) { return !seen.contains(QString::fromStdString(kept.first)); });
    if (paths == m_includePaths)
        return false;
    m_includePaths = std::move(paths);
    return true;
}

ScanResult ScanDocument(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                        const ScanOptions& options)
{
    // A document never saved has no folder: its relative includes name no file.
    const std::string key = lang::FileKey((fileDir.isEmpty() ? QStringLiteral("/\x01unsaved/") : fileDir).toStdString() +
                                          "\x01document.bb");
    std::map<std::string, std::string> texts{{key, std::string(text)}};
    lang::Program program;
    program.SetMainFile(key);
    program.SetFile(key, text);
    for (std::vector<std::string> needed = program.NeededFiles(); !needed.empty(); needed = program.NeededFiles())
        for (const std::string& file : needed) {
            std::optional<std::string> read;
            if (options.readInclude) {
                read = options.readInclude(file);
            } else if (SourceText disk = ReadSourceFile(paths::ResolveOnDisk(QString::fromStdString(file)), kMaxIncludeBytes);
                       disk.ok()) {
                read = std::move(disk.bytes);
            }
            if (read) {
                program.SetFile(file, *read);
                texts[file] = std::move(*read);
            } else {
                program.SetMissing(file);
            }
        }
    std::map<std::string, std::vector<lang::LineSpan>> lines;
    const DeclSource source{program, key,
                            [&](const std::string& file, std::uint32_t row) {
                                const std::string& all = texts[file];
                                auto [spans, fresh] = lines.try_emplace(file);
                                if (fresh)
                                    lang::SplitLines(all, spans->second);
                                return row < spans->second.size()
                                           ? all.substr(spans->second[row].start, spans->second[row].length)
                                           : std::string();
                            },
                            {}};
    DocDeclarations declarations;
    declarations.Rebuild(source, text, styles);
    return {declarations.DocKeywords(), declarations.Includes()};
}
