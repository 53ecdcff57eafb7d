#include "language/ExprParser.h"

// One line's statements, parsed as the compiler parses them, with what each
// statement kind keeps in Stmt's fields:
//   Assign a = target, b = value        Call name, tag, list = arguments
//   If*/ElseIf*/While/Until/Select/Return/Delete/Read/Data a = expression
//   Case list = values                  For a = variable, b = from, c = to, list = step
//   ForEach a = variable, name = type    Insert a, b, before
//   Goto/Gosub/Restore/Label/TypeHead/DeleteEach name
//   Const/Global/Local/Field name, tag, a = value, c = [size]
//   Dim name, tag, list = sizes         Function name, tag, list = parameters
// and a `.Type` tag's type and column in the two list words after the list
// (FileSyntax::TypeOf).
//   Include list, count = the file name in the file's strings (FileSyntax::Text), a = the
//           column after it (where the compiler says it is missing)
namespace lang {

Msg Expecting(std::uint16_t token, Msg expecting)
{
    switch (token) {
    case kNext: return Msg::NextWithoutFor;
    case kWend: return Msg::WendWithoutWhile;
    case kElse:
    case kElseIf: return Msg::ElseWithoutIf;
    case kEndIf: return Msg::EndifWithoutIf;
    case kEndFunction: return Msg::EndFunctionWithoutFunction;
    case kUntil: return Msg::UntilWithoutRepeat;
    case kForever: return Msg::ForeverWithoutRepeat;
    case kCase: return Msg::CaseWithoutSelect;
    case kEndSelect: return Msg::EndSelectWithoutSelect;
    default: return expecting;
    }
}

class Parser : public ExprParser {
public:
    Parser(FileSyntax& f, const std::vector<Token>& t, std::string_view line) : ExprParser(f, t, line) {}

    void Statements()
    {
        bool afterColon = false;
        std::uint32_t sepCol = 0;
        for (;;) {
            while (Cur() == ':') {
                afterColon = true;
                sepCol = m_t[m_i].col;
                ++m_i;
            }
            if (Cur() == kEol)
                return;
            ParsedStmt parsed;
            Stmt& s = parsed.s;
            s.col = m_t[m_i].col;
            s.token = Cur();
            s.afterColon = afterColon;
            s.sepGap = static_cast<std::uint16_t>(std::min<std::uint32_t>(s.col - sepCol, 0xffff));
            m_s = &parsed;
            try {
                Statement(s);
            } catch (const ParseFailed&) {
                Recover(s);
            }
            s.SetEndCol(std::max(m_i > 0 ? m_t[m_i - 1].col + m_t[m_i - 1].len : s.col, s.col));
            Keep(parsed);
            for (const ParsedStmt& more : m_more)
                Keep(more);
            m_more.clear();
            afterColon = false;
        }
    }

private:
    // A `.Type` tag's type and column, in the two list words right after the
    // statement's list, once that is complete.
    void KeepType(Stmt& s, NameId typeName, std::uint32_t typeCol)
    {
        if (s.tag != Tag::Custom)
            return;
        const std::uint32_t at = ExprParser::KeepType(typeName, typeCol);
        if (!s.count)
            s.list = at;
        s.typed = true;
    }

    void Keep(const ParsedStmt& parsed)
    {
        if (parsed.s.error != Msg::None)
            m_f.m_errorCols.emplace_back(static_cast<std::uint32_t>(m_f.m_stmts.size()), parsed.errorCol);
        m_f.m_stmts.push_back(parsed.s);
    }

    void Recover(Stmt& s)
    {
        // A broken If still opens a block or a line, so that the rest of the
        // file is not read as out of place; "Then" followed by more tells.
        if (s.kind == StmtKind::IfBlock || s.kind == StmtKind::ElseIfBlock) {
            for (std::size_t j = m_i; m_t[j].kind != kEol; ++j) {
                if (m_t[j].kind == kThen && !IsTerm(m_t[j + 1].kind)) {
                    s.kind = s.kind == StmtKind::IfBlock ? StmtKind::IfLine : StmtKind::ElseIfLine;
                    m_i = j + 1;
                    return;
                }
            }
        }
        while (!IsTerm(Cur()))
            ++m_i;
    }

    void Declaration(Stmt& s, bool constant)
    {
        s.name = Ident(&s.nameCol);
        NameId typeName = kNoName;
        std::uint32_t typeCol = 0;
        s.tag = TypeTag(typeName, typeCol);
        KeepType(s, typeName, typeCol);
        if (Cur() == '[') {
            if (constant)
                Fail(Msg::BlitzArrayConstant, false);
            ++m_i;
            auto [list, count] = ExprSeq();
            if (count != 1 || Cur() != ']')
                Fail(Msg::ExpCloseBracket);
            ++m_i;
            s.c = m_f.m_lists[list];
        } else if (Cur() == '=') {
            ++m_i;
            s.a = Expression(false);
        } else if (constant) {
            Fail(Msg::ConstantsMustBeInitialized, false);
        }
    }

    // Global a, b: one statement per name, each placed at its name.
    void Declarations(Stmt& s, bool constant)
    {
        ++m_i;
        Declaration(s, constant);
        while (Cur() == ',') {
            Stmt more = s;
            more.a = more.c = more.list = more.count = 0;
            more.tag = Tag::None;
            more.typed = false;
            more.col = Tk().col;
            ++m_i;
            m_s = &m_more.emplace_back(ParsedStmt{more});
            Declaration(m_more.back().s, constant);
            m_more.back().s.SetEndCol(m_t[m_i - 1].col + m_t[m_i - 1].len);
        }
    }

    void Statement(Stmt& s)
    {
        switch (Cur()) {
        case kInclude:
            s.kind = StmtKind::Include;
            ++m_i;
            if (Cur() != kStringConst)
                Fail(Msg::ExpIncludeFilename);
            {
                std::string_view name = m_line.substr(Tk().col + 1, Tk().len > 1 ? Tk().len - 1 : 0);
                if (!name.empty() && name.back() == '"')
                    name.remove_suffix(1);
                s.list = static_cast<std::uint32_t>(m_f.m_strings.size());
                s.count = static_cast<std::uint32_t>(name.size());
                m_f.m_strings.append(name);
            }
            ++m_i;
            s.a = Tk().col;
            return;
        case kIdent: return NameStatement(s);
        case kIf:
        case kElseIf:
            s.kind = Cur() == kIf ? StmtKind::IfBlock : StmtKind::ElseIfBlock;
            ++m_i;
            s.a = Expression(false);
            if (Cur() == kThen)
                ++m_i;
            if (!IsTerm(Cur()))
                s.kind = s.kind == StmtKind::IfBlock ? StmtKind::IfLine : StmtKind::ElseIfLine;
            return;
        case kWhile: s.kind = StmtKind::While; return Headed(s);
        case kUntil: s.kind = StmtKind::Until; return Headed(s);
        case kSelect: s.kind = StmtKind::Select; return Headed(s);
        case kElse: s.kind = StmtKind::Else; break;
        case kEndIf: s.kind = StmtKind::EndIf; break;
        case kWend: s.kind = StmtKind::Wend; break;
        case kRepeat: s.kind = StmtKind::Repeat; break;
        case kForever: s.kind = StmtKind::Forever; break;
        case kDefault: s.kind = StmtKind::Default; break;
        case kEndSelect: s.kind = StmtKind::EndSelect; break;
        case kNext: s.kind = StmtKind::Next; break;
        case kExit: s.kind = StmtKind::Exit; break;
        case kEndType: s.kind = StmtKind::EndType; break;
        case kEndFunction: s.kind = StmtKind::EndFunction; break;
        case kCase:
            s.kind = StmtKind::Case;
            ++m_i;
            std::tie(s.list, s.count) = ExprSeq();
            if (!s.count)
                Fail(Msg::ExpExpressionSequence);
            return;
        case kFor: return For(s);
        case kGoto:
        case kGosub:
            s.kind = Cur() == kGoto ? StmtKind::Goto : StmtKind::Gosub;
            ++m_i;
            s.name = Ident(&s.nameCol);
            return;
        case kRestore:
            s.kind = StmtKind::Restore;
            ++m_i;
            if (Cur() == kIdent)
                s.name = Ident(&s.nameCol);
            return;
        case '.':
            s.kind = StmtKind::Label;
            ++m_i;
            s.name = Ident(&s.nameCol);
            return;
        case kReturn:
            s.kind = StmtKind::Return;
            ++m_i;
            s.a = Expression(true);
            return;
        case kDelete:
            ++m_i;
            if (Cur() == kEach) {
                s.kind = StmtKind::DeleteEach;
                ++m_i;
                s.name = Ident(&s.nameCol);
            } else {
                s.kind = StmtKind::Delete;
                s.a = Expression(false);
            }
            return;
        case kInsert:
            s.kind = StmtKind::Insert;
            ++m_i;
            s.a = Expression(false);
            if (Cur() != kBefore && Cur() != kAfter)
                Fail(Msg::ExpBeforeOrAfter);
            s.before = Cur() == kBefore;
            ++m_i;
            s.b = Expression(false);
            return;
        case kRead:
        case kData: return Items(s, Cur() == kRead ? StmtKind::Read : StmtKind::Data);
        case kType:
            s.kind = StmtKind::TypeHead;
            ++m_i;
            s.name = Ident(&s.nameCol);
            return;
        case kField: s.kind = StmtKind::Field; return Declarations(s, false);
        case kConst: s.kind = StmtKind::Const; return Declarations(s, true);
        case kGlobal: s.kind = StmtKind::Global; return Declarations(s, false);
        case kLocal: s.kind = StmtKind::Local; return Declarations(s, false);
        case kDim: return Dim(s);
        case kFunction: return Function(s);
        default: s.kind = StmtKind::Stray; return Recover(s);
        }
        ++m_i;
    }

    void Headed(Stmt& s)
    {
        ++m_i;
        s.a = Expression(false);
    }

    // Read a, b and Data 1, 2: one statement per item.
    void Items(Stmt& s, StmtKind kind)
    {
        s.kind = kind;
        ++m_i;
        s.a = kind == StmtKind::Read ? Variable(true) : Expression(false);
        while (Cur() == ',') {
            Stmt more = s;
            more.col = Tk().col;
            ++m_i;
            m_s = &m_more.emplace_back(ParsedStmt{more});
            m_more.back().s.a = kind == StmtKind::Read ? Variable(true) : Expression(false);
        }
    }

    void For(Stmt& s)
    {
        s.kind = StmtKind::For;
        ++m_i;
        s.a = Variable(true);
        Expect('=', Msg::ExpVariableAssignment);
        if (Cur() == kEach) {
            s.kind = StmtKind::ForEach;
            ++m_i;
            s.name = Ident(&s.nameCol);
            return;
        }
        s.b = Expression(false);
        Expect(kTo, Msg::ExpTo);
        s.c = Expression(false);
        if (Cur() == kStep) {
            ++m_i;
            std::tie(s.list, s.count) = List({Expression(false)});
        }
    }

    void Dim(Stmt& s)
    {
        s.kind = StmtKind::Dim;
        for (Stmt* d = &s;;) {
            ++m_i;
            d->name = Ident(&d->nameCol);
            NameId typeName = kNoName;
            std::uint32_t typeCol = 0;
            d->tag = TypeTag(typeName, typeCol);
            Expect('(', Msg::ExpOpenParen);
            std::tie(d->list, d->count) = ExprSeq();
            if (Cur() == ')' && !d->count)
                Fail(Msg::ZeroDimensionalArray, false);
            Expect(')', Msg::ExpCloseParen);
            KeepType(*d, typeName, typeCol);
            if (Cur() != ',')
                return;
            Stmt more = s;
            more.list = more.count = 0;
            more.tag = Tag::None;
            more.typed = false;
            more.col = Tk().col;
            m_s = &m_more.emplace_back(ParsedStmt{more});
            d = &m_s->s;
        }
    }

    void Function(Stmt& s)
    {
        s.kind = StmtKind::Function;
        ++m_i;
        s.name = Ident(&s.nameCol);
        NameId typeName = kNoName;
        std::uint32_t typeCol = 0;
        s.tag = TypeTag(typeName, typeCol);
        Expect('(', Msg::ExpOpenParen);
        std::vector<std::uint32_t> params;
        if (Cur() != ')') {
            for (;;) {
                Expr p;
                p.kind = ExprKind::Param;
                std::uint32_t col = 0;
                p.name = Ident(&col);
                NameId typeName = kNoName;
                std::uint32_t typeCol = 0;
                p.tag = TypeTag(typeName, typeCol);
                p.b = KeepName(col, p.tag, typeName, typeCol);
                if (Cur() == '=') {
                    ++m_i;
                    p.a = Expression(false);
                }
                params.push_back(NewExpr(p));
                if (Cur() != ',')
                    break;
                ++m_i;
            }
            if (Cur() != ')')
                Fail(Msg::ExpCloseParen);
        }
        ++m_i;
        std::tie(s.list, s.count) = List(params);
        KeepType(s, typeName, typeCol);
    }

    // A statement that starts with a name: an assignment or a command call,
    // told apart as the compiler does, by what follows the name.
    void NameStatement(Stmt& s)
    {
        const std::size_t start = m_i;
        s.kind = StmtKind::Call;
        s.name = Ident(&s.nameCol);
        NameId typeName = kNoName;
        std::uint32_t typeCol = 0;
        s.tag = TypeTag(typeName, typeCol);
        const std::uint16_t t = Cur();
        bool assign = t == '=' || t == '\\' || t == '[';
        if (t == '(') {
            std::size_t k = m_i + 1;
            for (int nest = 1;; ++k) {
                const std::uint16_t c = m_t[k].kind;
                if (IsTerm(c))
                    Fail(Msg::MismatchedBrackets, false);
                if (c == '(')
                    ++nest;
                else if (c == ')' && !--nest)
                    break;
            }
            const std::uint16_t after = m_t[k + 1].kind;
            if (IsTerm(after)) {
                s.kind = StmtKind::Call;
                s.parenthesized = true;
                ++m_i;
                std::tie(s.list, s.count) = ExprSeq();
                Expect(')', Msg::ExpCloseParen);
                KeepType(s, typeName, typeCol);
                return;
            }
            assign = after == '=' || after == '\\' || after == '[';
        }
        if (!assign) {
            s.kind = StmtKind::Call;
            std::tie(s.list, s.count) = ExprSeq();
            KeepType(s, typeName, typeCol);
            return;
        }
        s.kind = StmtKind::Assign;
        m_i = start;
        s.a = Variable(true);
        Expect('=', Msg::ExpVariableAssignment);
        s.b = Expression(false);
    }

    std::vector<ParsedStmt> m_more;
};

void ParseLineInto(FileSyntax& file, const std::vector<Token>& tokens, std::string_view line)
{
    Parser(file, tokens, line).Statements();
}

}  // namespace lang
