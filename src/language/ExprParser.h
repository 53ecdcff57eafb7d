#pragma once

#include "language/FileSyntax.h"
#include "language/Parser.h"

#include <charconv>
#include <tuple>

// The expressions of one line, parsed as the compiler parses them, with the
// token cursor that the statements' parser goes on with.
namespace lang {

struct ParseFailed {};

inline bool IsTerm(std::uint16_t t) { return t == ':' || t == kEol; }

class ExprParser {
public:
    ExprParser(FileSyntax& f, const std::vector<Token>& t, std::string_view line) : m_f(f), m_t(t), m_line(line) {}

protected:
    std::uint16_t Cur() const { return m_t[m_i].kind; }
    const Token& Tk() const { return m_t[m_i]; }
    std::uint32_t EndOf(std::size_t i) const { return m_t[i].col + m_t[i].len; }

    [[noreturn]] void Fail(Msg msg, bool mapToken = true)
    {
        if (m_s->error == Msg::None) {
            m_s->error = mapToken ? Expecting(Cur(), msg) : msg;
            m_s->errorCol = Tk().col;
        }
        throw ParseFailed{};
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
        } catch (const ParseFailed&) {
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
            // Not stands only in front of a whole expression: its operand
            // may not start with another.
            e.a = Binary(1, false);
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
            // Digits past what 32 bits hold wrap around, as in the compiler.
            std::uint32_t v = 0;
            for (char c : text)
                v = v * 10 + std::uint32_t(c - '0');
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

    FileSyntax& m_f;
    const std::vector<Token>& m_t;
    std::string_view m_line;
    std::size_t m_i = 0;
    Stmt* m_s = nullptr;  // where a parse error is recorded
};

}  // namespace lang
