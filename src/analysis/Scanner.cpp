#include "analysis/Scanner.h"

#include "analysis/StagedEntries.h"
#include "analysis/Statements.h"
#include "analysis/Words.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdint>
#include <unordered_map>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto npos = std::string_view::npos;

using scan::Keyword;
using scan::Statement;
using scan::kGlobal, scan::kLocal, scan::kDim, scan::kConst, scan::kType, scan::kFunction, scan::kInclude;
using scan::kKeywordText;
constexpr unsigned kDocumentKeywords = scan::kAllKeywords;
// Included files declare no locals, and their own includes are not followed.
constexpr unsigned kIncludeKeywords = scan::kAllKeywords & ~(1u << kLocal) & ~(1u << kInclude);

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// A keyword counts at the start of the statement or after a blank or a tab.
bool StandsAlone(std::string_view stmt, std::size_t pos)
{
    return pos == 0 || IsBlankOrTab(stmt[pos - 1]);
}

bool SplitItems(std::string_view text, std::vector<std::string_view>& items)
{
    items.clear();
    // The depth is a 16-bit counter: a statement nesting deeper is given up.
    int depth = 0;
    bool inString = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(') {
            if (++depth > INT16_MAX)
                return false;
        } else if (c == ')') {
            if (--depth < INT16_MIN)
                return false;
        } else if (c == '"') {
            inString = !inString;
        }
        if (c == '|' || (c == ',' && depth == 0 && !inString)) {
            items.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    items.push_back(text.substr(start));
    return true;
}

struct VarName {
    std::string_view name;
    std::string_view tag;
};

// p.Player is p with type tag .Player; name$ is name with $; a bare name is
// an integer.
VarName SplitVarName(std::string_view t)
{
    if (!t.empty() && IsTypeSuffix(t.back()))
        return {t.substr(0, t.size() - 1), t.substr(t.size() - 1)};
    const std::size_t dot = t.find('.');
    if (dot != npos)
        return {t.substr(0, dot), t.substr(dot)};
    return {t, "%"};
}

// Gives the window its turns during a long scan without asking the clock on
// every statement.
class Yielder {
public:
    explicit Yielder(const ScanOptions& options) : m_options(options), m_last(Clock::now()) {}

    void Tick()
    {
        if ((++m_count & 255) == 0)
            Check();
    }

    // Asks the clock now: after a step that may take long by itself, such
    // as reading a file from a slow disk.
    void Check()
    {
        if (!m_options.yield)
            return;
        const auto now = Clock::now();
        if (now - m_last < m_options.yieldInterval)
            return;
        m_options.yield();
        m_last = Clock::now();
    }

private:
    const ScanOptions& m_options;
    Clock::time_point m_last;
    unsigned m_count = 0;
};

// Takes declarations apart into entries, numbering their keys with its own
// counter. One collector per file scanned.
class Collector {
public:
    Collector(int lineSign, StagedEntries& out) : m_lineSign(lineSign), m_out(out) {}

    // The declaration test of one statement, given where its keywords stand.
    // Labels are only looked for in the document itself.
    void Declaration(const Statement& st, bool labels)
    {
        const std::string_view stmt = st.text;
        m_line = st.line * m_lineSign;
        for (int k = kGlobal; k <= kFunction; ++k) {
            const std::size_t pos = st.pos[k];
            if (pos == npos)
                continue;
            if (!StandsAlone(stmt, pos))
                return;
            Items(Keyword(k), ItemText(stmt.substr(pos + kKeywordText[k].size())));
            return;
        }
        if (labels && stmt.size() >= 2 && stmt[0] == '.') {
            const std::string_view name = stmt.substr(1, stmt.find(' ', 1) - 1);
            if (!name.empty())
                Add(kKindLabel, name, {}, {});
        }
    }

private:
    // The text after the keyword without tabs, trimmed of blanks.
    std::string_view ItemText(std::string_view rest)
    {
        if (rest.find('\t') == npos)
            return text::TrimBlanks(rest);
        m_scratch.clear();
        for (char c : rest)
            if (c != '\t')
                m_scratch += c;
        return text::TrimBlanks(m_scratch);
    }

    void Items(Keyword k, std::string_view items)
    {
        switch (k) {
        case kType:
            if (!items.empty())
                Add(kKindType, items, {}, {});
            return;
        case kFunction: {
            const std::string_view name = items.substr(0, items.find('('));
            if (!name.empty())
                Add(kKindFunction, name, {}, {});
            return;
        }
        default:
            break;
        }
        if (!SplitItems(items, m_items))
            return;
        for (std::string_view item : m_items) {
            switch (k) {
            case kConst: {
                const std::string_view name = text::TrimBlanks(item.substr(0, item.find('=')));
                Add(kKindConst, name, {}, {});
                break;
            }
            case kDim: {
                item = text::TrimBlanks(item);
                const std::size_t open = item.find('(');
                if (open == npos || item.find(')') == npos)
                    break;
                const VarName v = SplitVarName(text::TrimBlanks(item.substr(0, open)));
                Add(kKindGlobal, v.name, "()", v.tag);
                break;
            }
            default: {
                const VarName v = SplitVarName(text::TrimBlanks(item.substr(0, item.find('='))));
                Add(k == kLocal ? kKindLocal : kKindGlobal, v.name, {}, v.tag);
                break;
            }
            }
        }
    }

    void Add(int kind, std::string_view name, std::string_view nameTail, std::string_view returnType)
    {
        m_out.Add(kind, m_line, m_counter++, name, nameTail, returnType);
    }

    const int m_lineSign;
    StagedEntries& m_out;
    int m_line = 0;
    std::uint32_t m_counter = 0;
    std::string m_scratch;
    std::vector<std::string_view> m_items;
};

void ScanIncludeText(std::string_view content, Yielder* yielder, StagedEntries& out)
{
    Collector collector(-1, out);
    scan::ForEachStatement(content, kIncludeKeywords, [&](const Statement& st) {
        if (yielder)
            yielder->Tick();
        collector.Declaration(st, false);
    });
}

class DocumentScan {
public:
    DocumentScan(const QString& fileDir, const DeclStyles& styles, const ScanOptions& options)
        : m_fileDir(fileDir), m_styles(styles), m_read(options.readInclude), m_yielder(options),
          m_collector(1, m_entries)
    {
        if (!m_read)
            m_read = ReadIncludeFromDisk;
    }

    ScanResult Run(std::string_view text)
    {
        scan::ForEachStatement(text, kDocumentKeywords, [&](const Statement& st) {
            m_yielder.Tick();
            if (st.pos[kInclude] != npos && !Include(st.text, st.pos[kInclude]))
                return;
            m_collector.Declaration(st, true);
        });
        return {m_entries.Build(m_styles), m_includes};
    }

private:
    // Follows an Include statement; false when the whole statement is to be
    // left alone.
    bool Include(std::string_view stmt, std::size_t pos)
    {
        if (!StandsAlone(stmt, pos))
            return false;
        const std::string_view path = text::TrimBlanks(stmt.substr(pos + kKeywordText[kInclude].size()));
        if (path.empty() || path.front() != '"' || path.back() != '"')
            return true;
        if (path.size() < 2)
            return false;  // a lone quote names no file
        const QString written = text::FromBytes(path.substr(1, path.size() - 2));
        const bool absolute = paths::IsAbsolute(written);
        const QString full = paths::ToSlashes(absolute ? written : paths::Join(m_fileDir, written));
        // A document never saved has no folder: its relative includes name
        // no file yet, whatever folder the IDE happened to start in.
        const bool readable = absolute || !m_fileDir.isEmpty();

        // Windows file names ignore case, so a path differing only in case is
        // the same include.
        const QString key = full.toLower();
        if (!m_seen.contains(key)) {
            m_seen.insert(key);
            m_includes.push_back(full);
        }
        // A file included twice is appended twice; one scan reads it once.
        const auto cached = m_readCache.find(full);
        if (cached != m_readCache.end()) {
            m_entries.Repeat(cached->second.first, cached->second.second);
        } else {
            const std::size_t begin = m_entries.Size();
            const std::optional<std::string> content = readable ? m_read(full) : std::nullopt;
            m_yielder.Check();
            if (content)
                ScanIncludeText(*content, &m_yielder, m_entries);
            m_readCache.emplace(full, std::make_pair(begin, m_entries.Size()));
        }
        return true;
    }

    QString m_fileDir;
    const DeclStyles& m_styles;
    IncludeReader m_read;
    Yielder m_yielder;
    StagedEntries m_entries;
    Collector m_collector;
    QStringList m_includes;
    QSet<QString> m_seen;
    std::unordered_map<QString, std::pair<std::size_t, std::size_t>> m_readCache;
};

}  // namespace

std::optional<std::string> ReadIncludeFromDisk(const QString& path)
{
    // Far beyond any source: an asset included by mistake is not read in
    // full at every rescan.
    constexpr qint64 kMaxIncludeBytes = 64 << 20;
    const QString found = paths::ResolveOnDisk(path);
    const QFileInfo info(found);
    if (!info.isFile() || info.size() > kMaxIncludeBytes)
        return std::nullopt;
    QFile f(found);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.read(kMaxIncludeBytes);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

ScanResult ScanDocument(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                        const ScanOptions& options)
{
    return DocumentScan(fileDir, styles, options).Run(text);
}

void ScanInclude(CInclude& inc, const DeclStyles& styles, const IncludeReader& read)
{
    StagedEntries entries;
    if (const std::optional<std::string> content = (read ? read : ReadIncludeFromDisk)(inc.IncPath))
        ScanIncludeText(*content, nullptr, entries);
    inc.IncKeywords = entries.Build(styles);
}

std::vector<std::string_view> SplitDeclList(std::string_view text)
{
    std::vector<std::string_view> items;
    if (!SplitItems(text, items))
        items.clear();
    return items;
}
