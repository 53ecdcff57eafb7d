#include "editor/BlitzLexer.h"

#include "editor/SciCall.h"

#include "editor/QsciHeaders.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

namespace {

// Styles the bytes of a token, `at` pointing at its first one; only those
// from `begin` to `end` (offsets into the token) are written.
void FillStyles(char* at, const Token& t, int begin, int end)
{
    const char style = static_cast<char>(BlitzLexer::StyleOf(t));
    if (t.length <= BlitzLexer::kPieceLength) {
        std::memset(at + begin, style, static_cast<std::size_t>(end - begin));
        return;
    }
    for (int piece = begin / BlitzLexer::kPieceLength; piece * BlitzLexer::kPieceLength < end; ++piece) {
        const int from = std::max(piece * BlitzLexer::kPieceLength, begin);
        const int to = std::min((piece + 1) * BlitzLexer::kPieceLength, end);
        std::memset(at + from, piece % 2 ? style + BlitzLexer::StyleCount : style, static_cast<std::size_t>(to - from));
    }
}

bool NamesCommand(const Token& t)
{
    return t.cls == TokenClass::Name && t.kind == kKindCommand;
}

// A line this long keeps places its tokenizing can resume from, this far
// apart: an edit in it restyles a few kilobytes instead of the whole line.
constexpr int kLongLine = 16384;
constexpr int kPointSpacing = 1024;

}  // namespace

BlitzLexer::BlitzLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString BlitzLexer::description(int style) const
{
    static const char* const kNames[StyleCount] = {
        "Default", "Comment", "String", "Number",   "Operator", "Command",
        "Global",  "Type",    "Function", "Label", "Constant", "Local",
    };
    return style >= 0 && style < kStyleSlots ? QString::fromLatin1(kNames[style % StyleCount]) : QString();
}

BlitzLexer::Style BlitzLexer::StyleOf(const Token& token)
{
    switch (token.cls) {
    case TokenClass::Comment:
        return Comment;
    case TokenClass::String:
        return String;
    case TokenClass::Number:
        return Number;
    case TokenClass::Operator:
        return Operator;
    case TokenClass::Keyword:
        return Command;
    case TokenClass::Label:
        return LabelStyle;
    case TokenClass::Name:
    case TokenClass::Suffix:
        switch (token.kind) {
        case kKindCommand:
            return Command;
        case kKindGlobal:
            return Global;
        case kKindType:
            return Type;
        case kKindFunction:
            return Function;
        case kKindLabel:
            return LabelStyle;
        case kKindConst:
            return Const;
        case kKindLocal:
            return Local;
        default:
            return Default;
        }
    case TokenClass::Text:
        break;
    }
    return Default;
}

SciCall BlitzLexer::sci() const
{
    if (!m_call && editor())
        m_call = SciCall(editor());
    return m_call;
}

int BlitzLexer::visibleFirst() const
{
    return static_cast<int>(sci()(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
}

void BlitzLexer::styleText(int start, int end)
{
    if (!editor() || !m_dirty)
        return;
    const SciCall call = sci();
    const int first = static_cast<int>(call(QsciScintillaBase::SCI_LINEFROMPOSITION, start));
    const int last = static_cast<int>(call(QsciScintillaBase::SCI_LINEFROMPOSITION, std::max(end - 1, start)));
    // The control asks from its first unstyled position to the end of what
    // it paints; the lines in between that lie above the window can wait.
    styleLines(std::max(first, visibleFirst() - 1), last);
    reopenStyling();
}

void BlitzLexer::reopenStyling()
{
    if (!editor())
        return;
    const SciCall call = sci();
    const int next = m_dirty ? m_dirty->NextDirty(0) : -1;
    const std::intptr_t pos = next < 0 ? call(QsciScintillaBase::SCI_GETLENGTH)
                                       : call(QsciScintillaBase::SCI_POSITIONFROMLINE, next);
    call(QsciScintillaBase::SCI_STARTSTYLING, pos, 0);
}

void BlitzLexer::styleLines(int first, int last, bool force)
{
    if (!editor() || !m_dirty)
        return;
    last = std::min(last, m_dirty->LineCount() - 1);
    if (force) {
        for (int line = std::max(first, 0); line <= last; ++line)
            m_dirty->Mark(line);
        if (m_long.line >= first && m_long.line <= last)
            m_long.line = -1;
    }
    int line = m_dirty->NextDirty(first, last + 1);
    while (line >= 0) {
        int runEnd = line;
        while (runEnd + 1 <= last && m_dirty->IsDirty(runEnd + 1))
            ++runEnd;
        styleRun(line, runEnd);
        line = m_dirty->NextDirty(runEnd + 1, last + 1);
    }
}

bool BlitzLexer::styleSome(int budget)
{
    if (!editor() || !m_dirty || m_dirty->Count() == 0)
        return false;
    const int from = visibleFirst();
    int line = m_dirty->NextDirty(from);
    if (line < 0)
        line = m_dirty->NextDirty(0);
    // Checking a line for a few names is some five times cheaper than
    // styling it.
    constexpr int kChecksPerStyle = 5;
    int spent = 0;
    while (line >= 0 && spent < budget * kChecksPerStyle) {
        int runEnd = line;
        if (m_dirty->OnlyToCheck(line) && m_recolourNames) {
            while (runEnd + 1 - line < budget * kChecksPerStyle && m_dirty->OnlyToCheck(runEnd + 1))
                ++runEnd;
            checkRun(line, runEnd);
            spent += runEnd - line + 1;
        } else {
            const int room = std::max((budget * kChecksPerStyle - spent) / kChecksPerStyle, 1);
            while (runEnd + 1 - line < room && m_dirty->IsDirty(runEnd + 1) && !m_dirty->OnlyToCheck(runEnd + 1))
                ++runEnd;
            styleRun(line, runEnd);
            spent += (runEnd - line + 1) * kChecksPerStyle;
        }
        line = m_dirty->NextDirty(runEnd + 1);
    }
    reopenStyling();
    return m_dirty->Count() > 0;
}

void BlitzLexer::checkRun(int first, int last)
{
    const SciCall call = sci();
    const std::intptr_t start = call(QsciScintillaBase::SCI_POSITIONFROMLINE, first);
    const std::intptr_t end = call(QsciScintillaBase::SCI_POSITIONFROMLINE, last + 1);
    const std::intptr_t length = (end < 0 ? call(QsciScintillaBase::SCI_GETLENGTH) : end) - start;
    const char* text = length > 0 ? reinterpret_cast<const char*>(call(QsciScintillaBase::SCI_GETRANGEPOINTER, start, length))
                                  : "";
    std::vector<int> hits;
    std::intptr_t pos = 0;
    for (int line = first; line <= last; ++line) {
        std::intptr_t next = pos;
        while (next < length && text[next] != '\n' && text[next] != '\r')
            ++next;
        if (MayHoldName(std::string_view(text + pos, static_cast<std::size_t>(next - pos)), *m_recolourNames))
            hits.push_back(line);
        else
            m_dirty->Clean(line);
        if (next < length && text[next] == '\r' && next + 1 < length && text[next + 1] == '\n')
            ++next;
        pos = std::min(next + 1, length);
    }
    for (int line : hits)
        styleRun(line, line);
}

void BlitzLexer::noteEdit(int line, int offset, int length, bool inserted)
{
    if (line != m_long.line)
        return;
    LongLine& l = m_long;
    if (inserted) {
        l.high = std::max(l.high >= offset ? l.high + length : l.high, offset + length);
        l.delta += length;
    } else {
        l.high = std::max(l.high >= offset + length ? l.high - length : std::min(l.high, offset), offset);
        l.delta -= length;
    }
    l.low = std::min(l.low, offset);
}

bool BlitzLexer::styleLongLine(int line)
{
    LongLine& l = m_long;
    if (line != l.line || l.high < 0)
        return false;
    const SciCall call = sci();
    const std::intptr_t start = call(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const int length = static_cast<int>(call(QsciScintillaBase::SCI_GETLINEENDPOSITION, line) - start);
    if (l.high > length)
        return false;
    const char* text = length > 0
                           ? reinterpret_cast<const char*>(call(QsciScintillaBase::SCI_GETRANGEPOINTER, start, length))
                           : "";
    // Resume before the first edit (the token that ended at a place saw the
    // character there, so that one must be untouched too) and rejoin the
    // earlier run past the last, where the text is the same again.
    const auto before = std::partition_point(l.points.begin(), l.points.end(),
                                             [&](const LexPoint& p) { return p.offset < l.low; });
    const LexPoint from = before == l.points.begin() ? LexPoint{} : *std::prev(before);
    std::vector<LexPoint> rejoin;
    for (auto it = std::partition_point(before, l.points.end(),
                                        [&](const LexPoint& p) { return p.offset + l.delta < l.high; });
         it != l.points.end(); ++it)
        rejoin.push_back({it->offset + l.delta, it->afterName});
    m_tokens.clear();
    m_points.clear();
    const LexPoint stop = TokenizeSpan(std::string_view(text, std::size_t(length)), m_rules, *m_commands, *m_declared,
                                       from, l.high, rejoin, kPointSpacing, m_points, m_tokens);
    styleTokens(start, from.offset, stop.offset - from.offset);

    l.points.erase(before, l.points.end());
    l.points.insert(l.points.end(), m_points.begin(), m_points.end());
    for (const LexPoint& p : rejoin)
        if (p.offset >= stop.offset)
            l.points.push_back(p);
    // The command names of the stretch are new; those after it moved.
    std::vector<Token>& commands = l.commands;
    const auto cut = std::partition_point(commands.begin(), commands.end(),
                                          [&](const Token& t) { return t.start < from.offset; });
    const auto kept = std::partition_point(cut, commands.end(),
                                           [&](const Token& t) { return t.start < stop.offset - l.delta; });
    std::vector<Token> after(kept, commands.end());
    commands.erase(cut, commands.end());
    std::copy_if(m_tokens.begin(), m_tokens.end(), std::back_inserter(commands), NamesCommand);
    for (Token t : after) {
        t.start += l.delta;
        commands.push_back(t);
    }
    l.low = INT_MAX;
    l.high = -1;
    l.delta = 0;
    m_dirty->Clean(line);
    return true;
}

void BlitzLexer::styleTokens(std::intptr_t start, int from, int length)
{
    if (length <= 0)
        return;
    m_styles.assign(static_cast<std::size_t>(length), static_cast<char>(Default));
    for (const Token& t : m_tokens) {
        const int begin = std::max(t.start - from, 0);
        const int end = std::min(t.start + t.length - from, length);
        if (end > begin)
            FillStyles(m_styles.data() + t.start - from, t, begin - (t.start - from), end - (t.start - from));
    }
    const SciCall call = sci();
    call(QsciScintillaBase::SCI_STARTSTYLING, start + from, 0);
    call.withPtr(QsciScintillaBase::SCI_SETSTYLINGEX, length, m_styles.data());
}

void BlitzLexer::styleRun(int first, int last)
{
    // The long line with edits of its own gets a stretch restyled; the lines
    // around it are styled whole.
    const int edited = m_long.high >= 0 ? m_long.line : -1;
    if (edited >= first && edited <= last) {
        if (edited > first)
            styleRun(first, edited - 1);
        if (!styleLongLine(edited)) {
            m_long.line = -1;
            styleRun(edited, edited);
        }
        if (edited < last)
            styleRun(edited + 1, last);
        return;
    }
    const SciCall call = sci();
    const std::intptr_t start = call(QsciScintillaBase::SCI_POSITIONFROMLINE, first);
    const std::intptr_t end = call(QsciScintillaBase::SCI_POSITIONFROMLINE, last + 1);
    const std::intptr_t stop = end < 0 ? call(QsciScintillaBase::SCI_GETLENGTH) : end;
    const std::intptr_t length = stop - start;
    if (length <= 0) {
        for (int line = first; line <= last; ++line)
            m_dirty->Clean(line);
        return;
    }
    const char* text = reinterpret_cast<const char*>(call(QsciScintillaBase::SCI_GETRANGEPOINTER, start, length));
    m_styles.assign(static_cast<std::size_t>(length), static_cast<char>(Default));

    std::intptr_t pos = 0;
    int index = 0;  // of the line within the run
    while (pos < length) {
        const char* lineStart = text + pos;
        const char* lineEnd = static_cast<const char*>(std::memchr(lineStart, '\n', length - pos));
        std::intptr_t next = lineEnd ? lineEnd - text + 1 : length;
        // A lone CR also ends a line.
        const char* cr = static_cast<const char*>(std::memchr(lineStart, '\r', next - pos));
        const std::intptr_t contentEnd = cr ? cr - text : (lineEnd ? lineEnd - text : length);
        if (cr && cr + 1 < text + length && cr[1] != '\n')
            next = cr - text + 1;

        m_tokens.clear();
        const std::string_view content(lineStart, std::size_t(contentEnd - pos));
        if (content.size() >= kLongLine) {
            m_long = {first + index, {}, {}, INT_MAX, -1, 0};
            TokenizeSpan(content, m_rules, *m_commands, *m_declared, {}, INT_MAX, {}, kPointSpacing, m_long.points,
                         m_tokens);
            std::copy_if(m_tokens.begin(), m_tokens.end(), std::back_inserter(m_long.commands), NamesCommand);
        } else {
            Tokenize(content, m_rules, *m_commands, *m_declared, m_tokens);
        }
        ++index;
        for (const Token& t : m_tokens)
            FillStyles(m_styles.data() + pos + t.start, t, 0, t.length);
        pos = next;
    }
    call(QsciScintillaBase::SCI_STARTSTYLING, start, 0);
    call.withPtr(QsciScintillaBase::SCI_SETSTYLINGEX, length, m_styles.data());
    for (int line = first; line <= last; ++line)
        m_dirty->Clean(line);
}
