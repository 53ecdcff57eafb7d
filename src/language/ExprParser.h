#pragma once

#include "language/FileSyntax.h"
#include "language/Parser.h"

#include <algorithm>
#include <charconv>
#include <tuple>

// The expressions of one line, parsed as the compiler parses them, with the
// token cursor that the statements' parser goes on with.
namespace lang {

struct ParseFailed {};

inline bool IsTerm(std::uint16_t t) { return t == ':' || t == kEol; }

// A statement being parsed, with where its parse error is.
struct ParsedStmt {
    Stmt s;
    std::uint32_t errorCol = 0;
};

class ExprParser {
public:
    ExprParser(FileSyntax& f, const std::vector<Token>& t, std::string_view line)
        : m_f(f), m_t(t), m_line(line), m_base(static_cast<std::uint32_t>(f.m_exprs.size()))
    {
        m_f.m_depths.clear();
    }

    // Every walk over an expression recurses, the parser's own too, so the
    // stack bounds how deep one may be. The compiler itself gives out (it
    // crashes) a little before these: about 700 calls inside each other,
    // 1,500 brackets and 7,000 operators in a chain still compile.
    static constexpr int kMaxNesting = 2000;   // brackets, calls and unary operators inside each other
    static constexpr int kMaxDepth = 10000;    // the tree, a chain of binary operators included

protected:
    std::uint16_t Cur() const { return m_t[m_i].kind; }
    const Token& Tk() const { return m_t[m_i]; }

    [[noreturn]] void Fail(Msg msg, bool mapToken = true)
    {
        if (m_s->s.error == Msg::None) {
            m_s->s.error = mapToken ? Expecting(Cur(), msg) : msg;
            m_s->errorCol = Tk().col;
        }
        throw ParseFailed{};
    }

    std::uint32_t NewExpr(const Expr& e)
    {
        int depth = 0;
        m_f.ForEachChild(e, [&](std::uint32_t child) {
            if (child >= m_base)
                depth = std::max<int>(depth, m_f.m_depths[child - m_base]);
        });
        if (++depth > kMaxDepth)
            Fail(Msg::TooDeeplyNested, false);
        m_f.m_depths.push_back(static_cast<std::uint16_t>(depth));
        m_f.m_exprs.push_back(e);
        return static_cast<std::uint32_t>(m_f.m_exprs.size() - 1);
    }

    NameId Ident(std::uint32_t* col = nullptr)
    {
        if (Cur() != kIdent)
            Fail(Msg::ExpIdentifier);
        if (col)
            *col = Tk().col;
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
        m_f.m_lists.append(stack.begin() + static_cast<std::ptrdiff_t>(mark), stack.end());
        const auto count = static_cast<std::uint32_t>(stack.size() - mark);
        stack.resize(mark);
        return {first, count};
    }

    std::pair<std::uint32_t, std::uint32_t> List(const std::vector<std::uint32_t>& items)
    {
        const auto first = static_cast<std::uint32_t>(m_f.m_lists.size());
        m_f.m_lists.append(items.begin(), items.end());
        return {first, static_cast<std::uint32_t>(items.size())};
    }

    // Two words in the file's lists: a `.Type` tag's type and column.
    std::uint32_t KeepType(NameId typeName, std::uint32_t typeCol)
    {
        const auto at = static_cast<std::uint32_t>(m_f.m_lists.size());
        m_f.m_lists.push_back(typeName);
        m_f.m_lists.push_back(typeCol);
        return at;
    }
    // A name's column, and a `.Type` tag after it.
    std::uint32_t KeepName(std::uint32_t col, Tag tag, NameId typeName, std::uint32_t typeCol)
    {
        const auto at = static_cast<std::uint32_t>(m_f.m_lists.size());
        m_f.m_lists.push_back(col);
        if (tag == Tag::Custom)
            KeepType(typeName, typeCol);
        return at;
    }

    // One level of the parser's recursion, refused past kMaxNesting.
    class Nested {
    public:
        explicit Nested(ExprParser& p) : m_p(p)
        {
            if (++m_p.m_nesting > kMaxNesting) {
                --m_p.m_nesting;
                m_p.Fail(Msg::TooDeeplyNested, false);
            }
        }
        ~Nested() { --m_p.m_nesting; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

    private:
        ExprParser& m_p;
    };

    std::uint32_t Expression(bool opt)
    {
        if (Cur() == kNot) {
            const Nested nested(*this);
            Expr e;
            e.kind = ExprKind::Unary;
            e.op = kNot;
            ++m_i;
            // Not stands only in front of a whole expression: its operand
            // may not start with another.
            e.a = Binary(1, false);
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
            ++m_i;
            std::uint32_t rhs = Unary(false);
            for (int next = LevelOf(Cur()); next > level; next = LevelOf(Cur()))
                rhs = Climb(rhs, next);
            e.a = lhs;
            e.b = rhs;
            lhs = NewExpr(e);
        }
        return lhs;
    }

    std::uint32_t Unary(bool opt)
    {
        const Nested nested(*this);
        Expr e;
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
            e.name = Ident(&e.b);
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
        return NewExpr(e);
    }

    std::uint32_t Primary(bool opt)
    {
        Expr e;
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
            e.name = Ident(&e.b);
            return NewExpr(e);
        case kNull: e.kind = ExprKind::Null; break;
        case kIntConst: {
            // Digits past what 32 bits hold wrap around, as in the compiler.
            std::uint32_t v = 0;
            for (char c : text)
                v = v * 10 + std::uint32_t(c - '0');
            SetConstValue(e, static_cast<double>(static_cast<std::int32_t>(v)));
            break;
        }
        case kHexConst:
        case kBinConst: {
            std::uint32_t v = 0;
            for (char c : text.substr(1)) {
                const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
                v = Cur() == kHexConst ? (v << 4) | digit : (v << 1) | digit;
            }
            SetConstValue(e, static_cast<double>(static_cast<std::int32_t>(v)));
            break;
        }
        case kFloatConst: {
            e.kind = ExprKind::FloatConst;
            double value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            SetConstValue(e, value);
            break;
        }
        case kPi:
            e.kind = ExprKind::FloatConst;
            SetConstValue(e, 3.14159265358979);
            break;
        case kTrue: SetConstValue(e, 1); break;
        case kFalse: SetConstValue(e, 0); break;
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
        std::uint32_t col = 0;
        e.name = Ident(&col);
        NameId typeName = kNoName;
        std::uint32_t typeCol = 0;
        e.tag = TypeTag(typeName, typeCol);
        e.kind = ExprKind::Var;
        if (Cur() == '(' && parensMake) {
            ++m_i;
            std::tie(e.a, e.b) = ExprSeq();
            Expect(')', Msg::ExpCloseParen);
            e.kind = ExprKind::CallOrArray;
            KeepName(col, e.tag, typeName, typeCol);  // right after the arguments
        } else {
            e.b = col;
            if (e.tag == Tag::Custom)
                e.a = KeepType(typeName, typeCol);
        }
        return Chain(NewExpr(e));
    }

    std::uint32_t Chain(std::uint32_t base)
    {
        for (;;) {
            Expr e;
            e.a = base;
            if (Cur() == '\\') {
                ++m_i;
                e.kind = ExprKind::Field;
                e.name = Ident(&e.b);
                NameId unused = kNoName;
                std::uint32_t unusedCol = 0;
                e.tag = TypeTag(unused, unusedCol);
            } else if (Cur() == '[') {
                ++m_i;
                e.kind = ExprKind::Vector;
                const auto [list, count] = ExprSeq();
                if (count != 1 || Cur() != ']')
                    Fail(Msg::ExpCloseBracket);
                e.b = m_f.m_lists[list];
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
    ParsedStmt* m_s = nullptr;  // where a parse error is recorded
    const std::uint32_t m_base;  // the line's first expression
    int m_nesting = 0;
};

}  // namespace lang
