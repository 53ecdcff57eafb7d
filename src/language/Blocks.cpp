#include "language/FileSyntax.h"
#include "language/Parser.h"

#include <algorithm>

// Matches blocks over the kinds of a file's statements with a stack of open
// blocks, and says what the compiler says where they do not fit: it reads a
// block's statements until a token that cannot go on, then asks for the
// block's end, so the message is "Expecting <what the innermost block
// needs>", or "'<end>' without '<head>'" when the token met is another
// block's end.
namespace lang {

namespace {

enum class Frame : std::uint8_t {
    Prog, IfBlock, IfBlockElse, IfBlockElseIfLine, IfLine, IfLineElse, While, Repeat, For,
    SelectHead, SelectCase, SelectDefault, Function, Type,
};

Msg Expectation(Frame f)
{
    switch (f) {
    case Frame::Prog: return Msg::ExpEndOfFile;
    case Frame::IfBlock:
    case Frame::IfBlockElse:
    case Frame::IfBlockElseIfLine: return Msg::ExpEndIf;
    case Frame::IfLine:
    case Frame::IfLineElse: return Msg::ExpEndOfLine;
    case Frame::While: return Msg::ExpWend;
    case Frame::Repeat: return Msg::ExpUntilOrForever;
    case Frame::For: return Msg::ExpNext;
    case Frame::SelectHead:
    case Frame::SelectCase: return Msg::ExpCaseDefaultEndSelect;
    case Frame::SelectDefault: return Msg::ExpEndSelect;
    case Frame::Function: return Msg::ExpEndFunction;
    case Frame::Type: return Msg::ExpFieldOrEndType;
    }
    return Msg::ExpEndOfFile;
}

bool IsIf(Frame f) { return f == Frame::IfBlock || f == Frame::IfBlockElse || f == Frame::IfBlockElseIfLine; }
bool IsSelect(Frame f) { return f == Frame::SelectHead || f == Frame::SelectCase || f == Frame::SelectDefault; }

// Which open block a block's end closes.
bool Closes(StmtKind k, Frame f)
{
    switch (k) {
    case StmtKind::EndIf: return IsIf(f);
    case StmtKind::Wend: return f == Frame::While;
    case StmtKind::Until:
    case StmtKind::Forever: return f == Frame::Repeat;
    case StmtKind::Next: return f == Frame::For;
    case StmtKind::EndSelect: return IsSelect(f);
    case StmtKind::EndFunction: return f == Frame::Function;
    case StmtKind::EndType: return f == Frame::Type;
    default: return false;
    }
}

struct Open {
    Frame frame;
    StmtPos head;
    // A one-line If whose ElseIf opened a block: the line's If still wants
    // its line end where the block's EndIf stands.
    bool inLine = false;
};

}  // namespace

void FileSyntax::MatchBlocks()
{
    m_blockDiags.clear();
    m_functions.clear();
    m_types.clear();
    std::vector<Open> stack{{Frame::Prog, {}, false}};
    StmtPos last{};
    const auto error = [&](StmtPos p, Msg m, BlockDiag::At at = BlockDiag::At::Stmt) {
        m_blockDiags.push_back(BlockDiag{p, m, at});
    };
    const auto expecting = [&](StmtPos p, const Stmt& s) { error(p, Expecting(s.token, Expectation(stack.back().frame))); };
    const auto close = [&](StmtPos end, bool closed) {
        const Open o = stack.back();
        stack.pop_back();
        if (o.frame == Frame::Function)
            m_functions.push_back(FunctionSpan{o.head, end, closed});
        else if (o.frame == Frame::Type)
            m_types.push_back(TypeSpan{o.head, end});
    };
    // A block's end with no such block open at the top: the compiler's
    // complaint, then, to go on, close what it skips or drop it.
    const auto misplacedEnd = [&](StmtPos p, const Stmt& s) {
        expecting(p, s);
        for (std::size_t i = stack.size(); i-- > 1;) {
            if (Closes(s.kind, stack[i].frame)) {
                while (stack.size() > i + 1)
                    close(last, false);
                close(p, true);
                return;
            }
        }
    };

    const std::uint32_t rows = LineCount();
    for (std::uint32_t row = 0; row < rows; ++row) {
        const Line& line = m_lines[row];
        for (std::uint32_t k = 0; k < line.count; ++k) {
            const StmtPos p{row, k};
            const Stmt& s = m_stmts[line.first + k];
            Frame top = stack.back().frame;
            if (top == Frame::Type) {
                const bool fits = s.kind == StmtKind::Field || s.kind == StmtKind::EndType;
                if (s.afterColon) {
                    error(p, Msg::ExpFieldOrEndType, BlockDiag::At::Sep);
                } else if (!fits) {
                    expecting(p, s);
                }
                if (s.kind == StmtKind::EndType) {
                    close(p, true);
                    last = p;
                    continue;
                }
                if (fits) {
                    last = p;
                    continue;
                }
                close(last, false);
                top = stack.back().frame;
            } else if (top == Frame::SelectHead && s.kind != StmtKind::Case && s.kind != StmtKind::Default &&
                       s.kind != StmtKind::EndSelect) {
                expecting(p, s);
            }
            const bool prog = top == Frame::Prog;
            switch (s.kind) {
            case StmtKind::IfBlock: stack.push_back({Frame::IfBlock, p, false}); break;
            case StmtKind::IfLine: stack.push_back({Frame::IfLine, p, false}); break;
            case StmtKind::While: stack.push_back({Frame::While, p, false}); break;
            case StmtKind::Repeat: stack.push_back({Frame::Repeat, p, false}); break;
            case StmtKind::For:
            case StmtKind::ForEach: stack.push_back({Frame::For, p, false}); break;
            case StmtKind::Select: stack.push_back({Frame::SelectHead, p, false}); break;
            case StmtKind::Function:
                if (!prog) {
                    error(p, Msg::FunctionInFunction);
                    while (stack.size() > 1 && stack.back().frame != Frame::Function)
                        close(last, false);
                    if (stack.back().frame == Frame::Function)
                        close(last, false);
                }
                stack.push_back({Frame::Function, p, false});
                break;
            case StmtKind::TypeHead:
                if (!prog)
                    error(p, Msg::TypeInFunction);
                stack.push_back({Frame::Type, p, false});
                break;
            case StmtKind::Global:
                if (!prog)
                    error(p, Msg::GlobalInFunction);
                break;
            case StmtKind::Const:
                if (!prog)
                    error(p, Msg::ConstInFunction);
                break;
            case StmtKind::Data:
                if (!prog)
                    error(p, Msg::DataInFunction);
                break;
            case StmtKind::Else:
                if (top == Frame::IfBlock)
                    stack.back().frame = Frame::IfBlockElse;
                else if (top == Frame::IfLine)
                    stack.back().frame = Frame::IfLineElse;
                else
                    expecting(p, s);
                break;
            case StmtKind::ElseIfBlock:
            case StmtKind::ElseIfLine:
                if (top == Frame::IfBlock)
                    stack.back().frame = s.kind == StmtKind::ElseIfLine ? Frame::IfBlockElseIfLine : Frame::IfBlock;
                else if (top == Frame::IfLine && s.kind == StmtKind::ElseIfBlock)
                    stack.back() = {Frame::IfBlock, stack.back().head, true};
                else if (top == Frame::IfLine)
                    break;
                else
                    expecting(p, s);
                break;
            case StmtKind::Case:
            case StmtKind::Default:
                if (top == Frame::SelectHead || top == Frame::SelectCase)
                    stack.back().frame = s.kind == StmtKind::Case ? Frame::SelectCase : Frame::SelectDefault;
                else
                    expecting(p, s);
                break;
            case StmtKind::Field:
            case StmtKind::Stray: expecting(p, s); break;
            case StmtKind::EndIf:
            case StmtKind::Wend:
            case StmtKind::Until:
            case StmtKind::Forever:
            case StmtKind::Next:
            case StmtKind::EndSelect:
            case StmtKind::EndFunction:
            case StmtKind::EndType:
                if (Closes(s.kind, top) && stack.back().inLine)
                    error(p, Msg::EndifWithoutIf);
                if (Closes(s.kind, top))
                    close(p, true);
                else
                    misplacedEnd(p, s);
                break;
            default: break;
            }
            last = p;
        }
        // The line's end ends one-line Ifs; an ElseIf written on one line
        // inside a block If leaves that If wanting its EndIf there.
        while (stack.size() > 1) {
            Frame& f = stack.back().frame;
            if (f == Frame::IfLine || f == Frame::IfLineElse) {
                stack.pop_back();
            } else if (f == Frame::IfBlockElseIfLine && line.count) {
                error(StmtPos{row, 0}, Msg::ExpEndIf, BlockDiag::At::Eol);
                f = Frame::IfBlockElse;
            } else {
                break;
            }
        }
    }
    if (stack.size() > 1)
        error(StmtPos{rows, 0}, Expectation(stack.back().frame), BlockDiag::At::EndOfFile);
    while (stack.size() > 1)
        close(last, false);
    std::sort(m_functions.begin(), m_functions.end(),
              [](const FunctionSpan& a, const FunctionSpan& b) { return a.head < b.head; });
}

}  // namespace lang
