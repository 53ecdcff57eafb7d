#pragma once

#include "editor/DirtyLines.h"
#include "editor/SciCall.h"
#include "editor/Tokenizer.h"

#include "editor/QsciHeaders.h"

#include <memory>
#include <string>
#include <vector>

// Colours Blitz3D by token kind. It styles only the lines an edit or a
// change of vocabulary left dirty: a request from the control for a long
// range is narrowed to the visible lines, and the rest is left to StyleSome,
// which the editor calls in small steps while idle.
class BlitzLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    enum Style {
        Default,
        Comment,
        String,
        Number,
        Operator,
        Command,
        Global,
        Type,
        Function,
        LabelStyle,
        Const,
        Local,
        StyleCount
    };

    explicit BlitzLexer(QObject* parent);

    const char* language() const override { return "Blitz3D"; }
    QString description(int style) const override;
    void styleText(int start, int end) override;

    // The dirty lines of the document being shown, and the names its lines
    // waiting for a check are checked for (owned by its buffer).
    void setDirtyLines(DirtyLines* lines, const std::vector<std::string>* recolourNames)
    {
        m_dirty = lines;
        m_recolourNames = recolourNames;
        m_long.line = -1;
    }
    void setRules(const LexRules& rules)
    {
        m_rules = rules;
        m_long.line = -1;
    }
    void setCommands(std::shared_ptr<const NameTable> names)
    {
        m_commands = std::move(names);
        m_long.line = -1;
    }
    void setDeclared(std::shared_ptr<const NameTable> names)
    {
        m_declared = std::move(names);
        m_long.line = -1;
    }

    // An edit about to be made: `length` bytes inserted or deleted at byte
    // `offset` of a line. Within a long line it lets the next styling of the
    // line redo only a stretch around the edits.
    void noteEdit(int line, int offset, int length, bool inserted);
    // Names changed in place, or lines came or went: the next styling of
    // every line is a whole one.
    void forgetLongLine() { m_long.line = -1; }
    // The tokens of a styled long line that name commands (kind 1), kept
    // with its styling; null for any other line, or one waiting for styling.
    const std::vector<Token>* longLineCommands(int line) const
    {
        return line == m_long.line && m_long.high < 0 ? &m_long.commands : nullptr;
    }

    // Styles the dirty lines among `first`..`last` (every line of the range
    // when `force`).
    void styleLines(int first, int last, bool force = false);
    // Styles dirty lines, visible ones first, until about `budget` lines
    // were styled (a line that only waited for a check and holds none of the
    // names counts far less). Returns false when nothing is left to do.
    bool styleSome(int budget);
    // Lets the control ask again for any line still dirty.
    void reopenStyling();

    static Style StyleOf(const Token& token);
    // A long token is painted in pieces that alternate between its style
    // and a twin of the same look (its number plus StyleCount): the control
    // measures a run of text of one style in one go, with a cost that grows
    // faster than the run, and keeps the widths of short runs only.
    static constexpr int kStyleSlots = 2 * StyleCount;
    static constexpr int kPieceLength = 24;
    static int BaseStyle(int style) { return style >= StyleCount && style < kStyleSlots ? style - StyleCount : style; }

private:
    void styleRun(int first, int last);
    // Restyles the lines of a run that hold a name to recolour; the others
    // are clean.
    void checkRun(int first, int last);
    SciCall sci() const;
    int visibleFirst() const;

    // Styles the stretch of the long line that its edits changed; false when
    // the whole line has to be styled.
    bool styleLongLine(int line);
    void styleTokens(std::intptr_t start, int from, int length);

    // The last long line styled: the places its tokenizing can resume from,
    // and the stretch edited since (in the text as it is now, `delta` bytes
    // longer than when it was styled).
    struct LongLine {
        int line = -1;
        std::vector<LexPoint> points;
        std::vector<Token> commands;
        int low = 0;
        int high = 0;
        int delta = 0;
    };
    LongLine m_long;
    std::vector<LexPoint> m_points;

    DirtyLines* m_dirty = nullptr;
    const std::vector<std::string>* m_recolourNames = nullptr;
    LexRules m_rules;
    std::shared_ptr<const NameTable> m_commands = std::make_shared<NameTable>();
    std::shared_ptr<const NameTable> m_declared = std::make_shared<NameTable>();
    std::vector<Token> m_tokens;
    std::vector<char> m_styles;
    mutable SciCall m_call;
};
