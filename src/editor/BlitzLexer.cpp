#include "editor/BlitzLexer.h"

#include "editor/SciCall.h"

#include "editor/QsciHeaders.h"

#include <algorithm>
#include <cstring>

BlitzLexer::BlitzLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString BlitzLexer::description(int style) const
{
    static const char* const kNames[StyleCount] = {
        "Default", "Comment", "String", "Number",   "Operator", "Command",
        "Global",  "Type",    "Function", "Label", "Constant", "Local",
    };
    return style >= 0 && style < StyleCount ? QString::fromLatin1(kNames[style]) : QString();
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

void BlitzLexer::styleRun(int first, int last)
{
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
        Tokenize(std::string_view(lineStart, contentEnd - pos), m_rules, *m_commands, *m_declared, m_tokens);
        for (const Token& t : m_tokens)
            std::memset(m_styles.data() + pos + t.start, StyleOf(t), static_cast<std::size_t>(t.length));
        pos = next;
    }
    call(QsciScintillaBase::SCI_STARTSTYLING, start, 0);
    call.withPtr(QsciScintillaBase::SCI_SETSTYLINGEX, length, m_styles.data());
    for (int line = first; line <= last; ++line)
        m_dirty->Clean(line);
}
