#pragma once

#include "editor/Keywords.h"
#include "model/ProgramNames.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A coloured token of a line as the editor reports it: its kind code (1 for
// a name of the command vocabulary), first column and text.
struct TipToken {
    int Kind = 0;
    int StartColumn = 0;
    std::string_view Text;
};

// The command call around the caret and the argument being typed in it.
struct CallTipMatch {
    EditorKeywordPtr entry;  // from the vocabulary
    int argumentIndex = 1;   // from 1
};

// Finds the innermost unclosed call of a vocabulary command left of the
// caret on `line`. `endColumn` counts the bytes before the caret.
// `tabWidth` is how many columns the tokens give a tab: EditCtrl::LineTokens
// counts a tab as one column, so its tokens go with 1. Nothing when no
// command call encloses the caret, the command is not in `vocabulary`, or the
// argument lies past its parameters.
std::optional<CallTipMatch> FindCallTip(std::string_view line, int endColumn, int tabWidth,
                                        const std::vector<TipToken>& tokens,
                                        const EditorKeywordList& vocabulary);

// The call around the caret among the commands and the program's own
// functions, which call as commands do: `tokens` are the line's commands
// (kind 1), the line's other names are looked up among the functions of
// `program` (none when null).
std::optional<CallTipMatch> FindProgramCallTip(std::string_view line, int endColumn, std::vector<TipToken> tokens,
                                               const EditorKeywordList* vocabulary, lang::Program* program,
                                               const programnames::LineText& lineText, char commentChar = ';',
                                               char stringChar = '"');

// The names written in code before `endColumn` of a line (not in a string or
// a comment, nor a field or type after a backslash or a dot, nor the digits of a
// hexadecimal number), as tokens of kind 0,
// in the order they stand: the calls of the program's own functions are
// found among them.
std::vector<TipToken> NameTokens(std::string_view line, int endColumn, char commentChar = ';', char stringChar = '"');

// The tip's text in three runs, the middle one printed bold:
// "Graphics " "width" ",height,[depth],[mode]".
struct CallTipText {
    std::string before, bold, after;
    std::string full() const { return before + bold + after; }
};
CallTipText MakeCallTipText(const EditorKeyword& entry, int argumentIndex);

// A command's signature for the status bar: Graphics width,height[,depth][,mode].
std::string CommandSignature(const EditorKeyword& entry);

// F1 on a word: the first press shows the command's signature in the status
// bar, a second press on the same word opens its help page.
class CommandHelp {
public:
    struct Action {
        // NoPage: the command (`text`) has no page in the help folder, which
        // NoHelpFolder says is not there.
        enum Kind { ClearPanel, ShowText, OpenPage, NoPage, NoHelpFolder, Nothing } kind = Nothing;
        QString text;  // the status-bar text, the page's path or the command
    };

    // The page opened is the command's page in the help folder as found on
    // disk (help::FindCommandPage).
    Action Request(std::string_view word, const EditorKeywordList& vocabulary, const QString& helpDir);
    // True when Request would look for the word's page: a second press on a
    // command.
    bool WantsPage(std::string_view word, const EditorKeywordList& vocabulary) const;

private:
    std::string m_lastHelpWord;
};
