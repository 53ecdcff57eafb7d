#include "language/FileSyntax.h"
#include "language/Parser.h"

#include <charconv>
#include <tuple>

// One line's statements, parsed as the compiler parses them, with what each
// statement kind keeps in Stmt's fields:
//   Assign a = target, b = value        Call name, tag, list = arguments
//   If*/ElseIf*/While/Until/Select/Return/Delete/Read/Data a = expression
//   Case list = values                  For a = variable, b = from, c = to, d = step
//   ForEach a = variable, name = type    Insert a, b, aux = 1 for Before
//   Goto/Gosub/Restore/Label/TypeHead/DeleteEach name
//   Const/Global/Local/Field name, tag, typeName, a = value, c = [size]
//   Dim name, tag, typeName, list = sizes    Function name, tag, typeName, list = parameters
//   Include text, aux = column after the file name (where the compiler says it is missing)
namespace lang {

namespace {
struct Failed {};

bool IsTerm(std::uint16_t t) { return t == ':' || t == kEol; }

}  // namespace

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

class Parser {
public:
    Parser(FileSyntax& f, const std::vector<Token>& t, std::string_view line, std::uint32_t row)
        : m_f(f), m_t(t), m_line(line), m_row(row)
    {
    }

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
            Stmt s;
            s.row = m_row;
            s.col = m_t[m_i].col;
            s.token = Cur();
            s.afterColon = afterColon;
            s.sepCol = sepCol;
            m_s = &s;
            try {
                Statement(s);
            } catch (const Failed&) {
                Recover(s);
            }
            s.endCol = m_i > 0 ? m_t[m_i - 1].col + m_t[m_i - 1].len : s.col;
            if (s.endCol < s.col)
                s.endCol = s.col;
            m_f.m_stmts.push_back(s);
            for (Stmt& more : m_more) {
                more.row = m_row;
                m_f.m_stmts.push_back(more);
            }
            m_more.clear();
            afterColon = false;
        }
    }

private:
    std::uint16_t Cur() const { return m_t[m_i].kind; }
    const Token& Tk() const { return m_t[m_i]; }
    std::uint32_t EndOf(std::size_t i) const { return m_t[i].col + m_t[i].len; }

    [[noreturn]] void Fail(Msg msg, bool mapToken = true)
    {
        if (m_s->error == Msg::None) {
            m_s->error = mapToken ? Expecting(Cur(), msg) : msg;
            m_s->errorCol = Tk().col;
        }
        throw Failed{};
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

    std::uint32_t NewExpr(const Expr& e)
    {
        m_f.m_exprs.push_back(e);
        return static_cast<std::uint32_t>(m_f.m_exprs.size() - 1);
    }

    NameId Ident(std::uint32_t* col = nullptr, std::uint32_t* end = nullptr)
    {
        if (Cur() != kIdent)
            Fail(Msg::ExpIdentifier);
        if (col)
            *col = Tk().col;
        if (end)
            *end = EndOf(m_i);
        return m_t[m_i++].name;
    }

    Tag TypeTag(NameId& typeName, std::uint32_t& typeCol)
    {
        switch (Cur()) {
        case '%': ++m_i; return Tag::Int;
        case '#': ++m_i; return Tag::Float;
        case '$': ++m_i; return Tag::Str;
        case '.': ++m_i; typeName = Ident(&typeCol); return Tag::Custom;
        default: return Tag::None;
        }
    }

    void Expect(std::uint16_t token, Msg msg)
    {
        if (Cur() != token)
            Fail(msg);
        ++m_i;
    }

    // An expression list; (first, count) into the file's lists.
    // Items gather on a shared stack (inner lists finish before the outer
    // goes on) and move to the file's lists when complete.
    std::pair<std::uint32_t, std::uint32_t> ExprSeq()
    {
        std::vector<std::uint32_t>& stack = m_f.m_scratch;
        const std::size_t mark = stack.size();
        bool opt = true;
        try {
            while (std::uint32_t e = Expression(opt)) {
                stack.push_back(e);
                if (Cur() != ',')
                    break;
                ++m_i;
                opt = false;
            }
        } catch (const Failed&) {
            stack.resize(mark);
            throw;
        }
        const auto first = static_cast<std::uint32_t>(m_f.m_lists.size());
        m_f.m_lists.insert(m_f.m_lists.end(), stack.begin() + static_cast<std::ptrdiff_t>(mark), stack.end());
        const auto count = static_cast<std::uint32_t>(stack.size() - mark);
        stack.resize(mark);
        return {first, count};
    }

    std::pair<std::uint32_t, std::uint32_t> List(const std::vector<std::uint32_t>& items)
    {
        const auto first = static_cast<std::uint32_t>(m_f.m_lists.size());
        m_f.m_lists.insert(m_f.m_lists.end(), items.begin(), items.end());
        return {first, static_cast<std::uint32_t>(items.size())};
    }

    std::uint32_t Expression(bool opt)
    {
        if (Cur() == kNot) {
            Expr e;
            e.kind = ExprKind::Unary;
            e.op = kNot;
            e.col = Tk().col;
            ++m_i;
            e.a = Expression(false);
            e.endCol = m_f.m_exprs[e.a].endCol;
            return NewExpr(e);
        }
        return Binary(1, opt);
    }

    // Binary operators by how tightly they bind: And Or Xor (1), comparisons,
    // + -, shifts, * / Mod, ^ (6); 0 for none.
    static int LevelOf(std::uint16_t t)
    {
        switch (t) {
        case kAnd:
        case kOr:
        case kXor: return 1;
        case '<':
        case '>':
        case '=':
        case kNe:
        case kLe:
        case kGe: return 2;
        case '+':
        case '-': return 3;
        case kShl:
        case kShr:
        case kSar: return 4;
        case '*':
        case '/':
        case kMod: return 5;
        case '^': return 6;
        default: return 0;
        }
    }

    std::uint32_t Binary(int level, bool opt)
    {
        const std::uint32_t lhs = Unary(opt);
        return lhs ? Climb(lhs, level) : 0;
    }

    // Operators of `minLevel` and tighter after `lhs`, each level left to right.
    std::uint32_t Climb(std::uint32_t lhs, int minLevel)
    {
        for (int level = LevelOf(Cur()); level && level >= minLevel; level = LevelOf(Cur())) {
            Expr e;
            e.kind = ExprKind::Binary;
            e.op = Cur();
            e.col = m_f.m_exprs[lhs].col;
            ++m_i;
            std::uint32_t rhs = Unary(false);
            for (int next = LevelOf(Cur()); next > level; next = LevelOf(Cur()))
                rhs = Climb(rhs, next);
            e.a = lhs;
            e.b = rhs;
            e.endCol = m_f.m_exprs[rhs].endCol;
            lhs = NewExpr(e);
        }
        return lhs;
    }

    std::uint32_t Unary(bool opt)
    {
        Expr e;
        e.col = Tk().col;
        const std::uint16_t t = Cur();
        switch (t) {
        case kInt:
        case kFloat:
        case kStr:
            e.kind = ExprKind::Cast;
            e.tag = t == kInt ? Tag::Int : t == kFloat ? Tag::Float : Tag::Str;
            ++m_i;
            if (Cur() == (t == kInt ? '%' : t == kFloat ? '#' : '$'))
                ++m_i;
            e.a = Unary(false);
            break;
        case kObject:
            e.kind = ExprKind::Object;
            ++m_i;
            if (Cur() == '.')
                ++m_i;
            e.name = Ident(&e.typeCol);
            e.a = Unary(false);
            break;
        case kHandle:
        case kBefore:
        case kAfter:
            e.kind = t == kHandle ? ExprKind::Handle : t == kBefore ? ExprKind::Before : ExprKind::After;
            ++m_i;
            e.a = Unary(false);
            break;
        case '+':
        case '-':
        case '~':
        case kAbs:
        case kSgn:
            e.kind = ExprKind::Unary;
            e.op = t;
            ++m_i;
            e.a = Unary(false);
            break;
        case kNot:
            e.kind = ExprKind::Unary;
            e.op = t;
            ++m_i;
            e.a = Binary(2, false);
            break;
        default: return Primary(opt);
        }
        e.endCol = m_f.m_exprs[e.a].endCol;
        return NewExpr(e);
    }

    std::uint32_t Primary(bool opt)
    {
        Expr e;
        e.col = Tk().col;
        e.endCol = EndOf(m_i);
        // The end of a CR LF line stands one past the text.
        const std::string_view text = Tk().kind == kEol ? std::string_view() : m_line.substr(Tk().col, Tk().len);
        switch (Cur()) {
        case '(': {
            ++m_i;
            const std::uint32_t inner = Expression(false);
            Expect(')', Msg::ExpCloseParen);
            return inner;
        }
        case kNew:
        case kFirst:
        case kLast:
            e.kind = Cur() == kNew ? ExprKind::New : Cur() == kFirst ? ExprKind::First : ExprKind::Last;
            ++m_i;
            e.name = Ident(&e.typeCol, &e.endCol);
            return NewExpr(e);
        case kNull: e.kind = ExprKind::Null; break;
        case kIntConst: {
            std::int64_t v = 0;
            for (char c : text)
                v = v * 10 + (c - '0');
            e.value = static_cast<double>(static_cast<std::int32_t>(v));
            break;
        }
        case kHexConst:
        case kBinConst: {
            std::uint32_t v = 0;
            for (char c : text.substr(1)) {
                const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
                v = Cur() == kHexConst ? (v << 4) | digit : (v << 1) | digit;
            }
            e.value = static_cast<double>(static_cast<std::int32_t>(v));
            break;
        }
        case kFloatConst:
            e.kind = ExprKind::FloatConst;
            std::from_chars(text.data(), text.data() + text.size(), e.value);
            break;
        case kPi:
            e.kind = ExprKind::FloatConst;
            e.value = 3.14159265358979;
            break;
        case kTrue: e.value = 1; break;
        case kFalse: e.value = 0; break;
        case kStringConst: e.kind = ExprKind::StringConst; break;
        case kIdent: return Variable(true);
        default:
            if (!opt)
                Fail(Msg::ExpExpression);
            return 0;
        }
        ++m_i;
        return NewExpr(e);
    }

    // A name and what follows it: a call or array element `name(...)`, a
    // variable, then fields `\f` and subscripts `[i]`.
    std::uint32_t Variable(bool parensMake)
    {
        Expr e;
        e.col = Tk().col;
        e.name = Ident(nullptr, &e.endCol);
        e.tag = TypeTag(e.typeName, e.typeCol);
        if (e.tag != Tag::None)
            e.endCol = EndOf(m_i - 1);
        e.kind = ExprKind::Var;
        if (Cur() == '(' && parensMake) {
            ++m_i;
            std::tie(e.list, e.count) = ExprSeq();
            Expect(')', Msg::ExpCloseParen);
            e.kind = ExprKind::CallOrArray;
            e.endCol = EndOf(m_i - 1);
        }
        return Chain(NewExpr(e));
    }

    std::uint32_t Chain(std::uint32_t base)
    {
        for (;;) {
            Expr e;
            e.col = m_f.m_exprs[base].col;
            e.a = base;
            if (Cur() == '\\') {
                ++m_i;
                e.kind = ExprKind::Field;
                e.name = Ident(&e.typeCol, &e.endCol);
                NameId unused = kNoName;
                std::uint32_t unusedCol = 0;
                e.tag = TypeTag(unused, unusedCol);
                e.typeName = unused;
            } else if (Cur() == '[') {
                ++m_i;
                e.kind = ExprKind::Vector;
                std::tie(e.list, e.count) = ExprSeq();
                if (e.count != 1 || Cur() != ']')
                    Fail(Msg::ExpCloseBracket);
                e.endCol = EndOf(m_i);
                ++m_i;
            } else {
                return base;
            }
            base = NewExpr(e);
        }
    }

    void Declaration(Stmt& s, bool constant)
    {
        s.name = Ident(&s.nameCol, &s.nameEnd);
        s.tag = TypeTag(s.typeName, s.typeCol);
        if (Cur() == '[') {
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
            more.a = more.c = 0;
            more.typeName = kNoName;
            more.tag = Tag::None;
            more.col = Tk().col;
            ++m_i;
            m_s = &m_more.emplace_back(more);
            Declaration(m_more.back(), constant);
            m_more.back().endCol = EndOf(m_i - 1);
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
                s.text = static_cast<std::uint32_t>(m_f.m_strings.size());
                s.textLen = static_cast<std::uint32_t>(name.size());
                m_f.m_strings.append(name);
            }
            ++m_i;
            s.aux = Tk().col;
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
        case kEnd: s.kind = StmtKind::End; break;
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
            s.name = Ident(&s.nameCol, &s.nameEnd);
            return;
        case kRestore:
            s.kind = StmtKind::Restore;
            ++m_i;
            if (Cur() == kIdent)
                s.name = Ident(&s.nameCol, &s.nameEnd);
            return;
        case '.':
            s.kind = StmtKind::Label;
            ++m_i;
            s.name = Ident(&s.nameCol, &s.nameEnd);
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
                s.name = Ident(&s.nameCol, &s.nameEnd);
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
            s.aux = Cur() == kBefore;
            ++m_i;
            s.b = Expression(false);
            return;
        case kRead:
        case kData: return Items(s, Cur() == kRead ? StmtKind::Read : StmtKind::Data);
        case kType:
            s.kind = StmtKind::TypeHead;
            ++m_i;
            s.name = Ident(&s.nameCol, &s.nameEnd);
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
            m_s = &m_more.emplace_back(more);
            m_more.back().a = kind == StmtKind::Read ? Variable(true) : Expression(false);
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
            s.name = Ident(&s.nameCol, &s.nameEnd);
            return;
        }
        s.b = Expression(false);
        Expect(kTo, Msg::ExpTo);
        s.c = Expression(false);
        if (Cur() == kStep) {
            ++m_i;
            s.d = Expression(false);
        }
    }

    void Dim(Stmt& s)
    {
        s.kind = StmtKind::Dim;
        for (Stmt* d = &s;;) {
            ++m_i;
            d->name = Ident(&d->nameCol, &d->nameEnd);
            d->tag = TypeTag(d->typeName, d->typeCol);
            Expect('(', Msg::ExpOpenParen);
            std::tie(d->list, d->count) = ExprSeq();
            Expect(')', Msg::ExpCloseParen);
            if (Cur() != ',')
                return;
            Stmt more = s;
            more.typeName = kNoName;
            more.tag = Tag::None;
            more.col = Tk().col;
            m_s = d = &m_more.emplace_back(more);
        }
    }

    void Function(Stmt& s)
    {
        s.kind = StmtKind::Function;
        ++m_i;
        s.name = Ident(&s.nameCol, &s.nameEnd);
        s.tag = TypeTag(s.typeName, s.typeCol);
        Expect('(', Msg::ExpOpenParen);
        std::vector<std::uint32_t> params;
        if (Cur() != ')') {
            for (;;) {
                Expr p;
            p.kind = ExprKind::Param;
                p.col = Tk().col;
                p.name = Ident(nullptr, &p.endCol);
                p.tag = TypeTag(p.typeName, p.typeCol);
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
    }

    // A statement that starts with a name: an assignment or a command call,
    // told apart as the compiler does, by what follows the name.
    void NameStatement(Stmt& s)
    {
        const std::size_t start = m_i;
        s.kind = StmtKind::Call;
        s.name = Ident(&s.nameCol, &s.nameEnd);
        s.tag = TypeTag(s.typeName, s.typeCol);
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
                return;
            }
            assign = after == '=' || after == '\\' || after == '[';
        }
        if (!assign) {
            s.kind = StmtKind::Call;
            std::tie(s.list, s.count) = ExprSeq();
            return;
        }
        s.kind = StmtKind::Assign;
        m_i = start;
        s.a = Variable(true);
        Expect('=', Msg::ExpVariableAssignment);
        s.b = Expression(false);
    }

    FileSyntax& m_f;
    const std::vector<Token>& m_t;
    std::string_view m_line;
    std::uint32_t m_row;
    std::size_t m_i = 0;
    Stmt* m_s = nullptr;
    std::vector<Stmt> m_more;
};

void ParseLineInto(FileSyntax& file, const std::vector<Token>& tokens, std::string_view line, std::uint32_t row)
{
    Parser(file, tokens, line, row).Statements();
}

}  // namespace lang
