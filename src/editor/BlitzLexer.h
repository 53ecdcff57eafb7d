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
    }
    void setRules(const LexRules& rules) { m_rules = rules; }
    void setCommands(std::shared_ptr<const NameTable> names) { m_commands = std::move(names); }
    void setDeclared(std::shared_ptr<const NameTable> names) { m_declared = std::move(names); }

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

private:
    void styleRun(int first, int last);
    // Restyles the lines of a run that hold a name to recolour; the others
    // are clean.
    void checkRun(int first, int last);
    SciCall sci() const;
    int visibleFirst() const;

    DirtyLines* m_dirty = nullptr;
    const std::vector<std::string>* m_recolourNames = nullptr;
    LexRules m_rules;
    std::shared_ptr<const NameTable> m_commands = std::make_shared<NameTable>();
    std::shared_ptr<const NameTable> m_declared = std::make_shared<NameTable>();
    std::vector<Token> m_tokens;
    std::vector<char> m_styles;
    mutable SciCall m_call;
};
