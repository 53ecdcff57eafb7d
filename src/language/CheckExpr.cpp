#include "language/Checker.h"

#include <algorithm>
#include <cmath>

// Expressions: binding their names and the compiler's type rules, in the
// order the compiler applies them, so that the first error of a statement
// is the compiler's. A built-in command's result may be Basic (the list
// does not say which of Int, Float or Str); what cannot be told is Unknown,
// which converts to anything without error.
namespace lang {

namespace {

bool IsArithmetic(std::uint16_t op)
{
    return op == '+' || op == '-' || op == '*' || op == '/' || op == kMod || op == '^';
}

bool IsComparison(std::uint16_t op)
{
    return op == '=' || op == kNe || op == '<' || op == '>' || op == kLe || op == kGe;
}

bool IsObject(ValueType t) { return t.k == ValueType::Struct || t.k == ValueType::Null; }
bool IsNumber(ValueType t) { return t.k == ValueType::Int || t.k == ValueType::Float; }

const ValueType kIntType{ValueType::Int};
const ValueType kFloatType{ValueType::Float};
const ValueType kStrType{ValueType::Str};

ValueType TagValue(char tag)
{
    switch (tag) {
    case '#': return kFloatType;
    case '$': return kStrType;
    case '*': return ValueType{};  // a userlib's bank or object: anything goes
    default: return kIntType;
    }
}

// Blitz integers are 32 bits and wrap.
std::int32_t Wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

}  // namespace

std::int32_t Folded::Int() const
{
    return k == ValueType::Float ? static_cast<std::int32_t>(std::lrint(f)) : i;
}

double Folded::Real() const { return k == ValueType::Float ? f : i; }

ValueType Checker::SymbolValue(const Symbol& s)
{
    if (!s.vector)
        return s.type;
    ValueType v{ValueType::Vector};
    v.elem = s.type.k;
    v.type = s.type.type;
    v.size = s.dims;
    return v;
}

std::optional<ValueType> Checker::TagType(Tag tag, NameId typeName)
{
    switch (tag) {
    case Tag::Int: return kIntType;
    case Tag::Float: return kFloatType;
    case Tag::Str: return kStrType;
    case Tag::Custom:
        if (auto t = m.types.find(typeName); t != m.types.end())
            return ValueType{ValueType::Struct, ValueType::Unknown, t->second};
        Error(Msg::TypeNotFound, typeName);
        return ValueType{};
    default: return std::nullopt;
    }
}

bool Checker::CastOk(ValueType from, ValueType to)
{
    if (from.k == ValueType::Unknown || to.k == ValueType::Unknown)
        return true;
    switch (to.k) {
    case ValueType::Int:
    case ValueType::Float:
    case ValueType::Str:
    case ValueType::Basic: return from.k == ValueType::Int || from.k == ValueType::Float || from.k == ValueType::Str ||
                                  from.k == ValueType::Basic;
    case ValueType::Struct: return from.k == ValueType::Null || from == to;
    case ValueType::Null: return from.k == ValueType::Null;
    case ValueType::Vector: return from.k == ValueType::Vector && from.elem == to.elem && from.type == to.type;
    default: return false;
    }
}

void Checker::Cast(ValueType from, ValueType to)
{
    if (!CastOk(from, to))
        Error(Msg::IllegalTypeConversion);
}

bool Checker::IsConstant(std::uint32_t e) const { return !e || Fold(e).has_value(); }

std::optional<Folded> Checker::Fold(std::uint32_t e) const { return FoldIn(*m_f, e, 0); }

std::optional<Folded> Checker::FoldIn(const FileSyntax& f, std::uint32_t index, int depth) const
{
    if (!index || depth > 64)
        return std::nullopt;
    const Expr& x = f.E(index);
    const auto as = [](Folded v, ValueType::K k) {
        if (v.k == k || v.k == ValueType::Str || k == ValueType::Str) {
            v.k = k;
            return v;
        }
        if (k == ValueType::Float)
            v.f = v.i;
        else
            v.i = v.Int();
        v.k = k;
        return v;
    };
    switch (x.kind) {
    case ExprKind::IntConst: return Folded{ValueType::Int, static_cast<std::int32_t>(ConstValue(x)), 0};
    case ExprKind::FloatConst: return Folded{ValueType::Float, 0, ConstValue(x)};
    case ExprKind::StringConst: return Folded{ValueType::Str, 0, 0};
    case ExprKind::Var: {
        if (!x.sym || x.sym.unit != SymRef::kGlobal)
            return std::nullopt;
        const Symbol& s = m.globals[x.sym.index];
        if (s.kind != SymKind::Const || s.dead)
            return std::nullopt;
        const FileSyntax& at = m.files[s.file].syntax;
        if (s.Pos().row >= at.LineCount() || s.Pos().k >= at.Lines()[s.Pos().row].count)
            return std::nullopt;
        const std::optional<Folded> v = FoldIn(at, at.At(s.Pos()).a, depth + 1);
        if (!v || s.type.k == ValueType::Struct)
            return std::nullopt;
        return as(*v, s.type.k == ValueType::Unknown ? v->k : s.type.k);
    }
    case ExprKind::Cast: {
        const std::optional<Folded> v = FoldIn(f, x.a, depth + 1);
        if (!v)
            return std::nullopt;
        return as(*v, x.tag == Tag::Int ? ValueType::Int : x.tag == Tag::Float ? ValueType::Float : ValueType::Str);
    }
    case ExprKind::Unary: {
        std::optional<Folded> v = FoldIn(f, x.a, depth + 1);
        if (!v || v->k == ValueType::Str)
            return x.op == kNot && v ? std::optional<Folded>(Folded{ValueType::Int, 0, 0}) : std::nullopt;
        if (x.op == kNot || x.op == '~') {
            const std::int32_t i = v->Int();
            return Folded{ValueType::Int, x.op == kNot ? (v->Real() == 0 ? 1 : 0) : ~i, 0};
        }
        if (x.op == '-') {
            v->i = Wrap(-std::int64_t(v->i));
            v->f = -v->f;
        } else if (x.op == kAbs) {
            v->i = v->i < 0 ? Wrap(-std::int64_t(v->i)) : v->i;
            v->f = std::fabs(v->f);
        } else if (x.op == kSgn) {
            v->i = (v->i > 0) - (v->i < 0);
            v->f = (v->f > 0) - (v->f < 0);
        }
        return v;
    }
    case ExprKind::Binary: {
        const std::optional<Folded> l = FoldIn(f, x.a, depth + 1);
        const std::optional<Folded> r = l ? FoldIn(f, x.b, depth + 1) : std::nullopt;
        if (!l || !r)
            return std::nullopt;
        const bool str = l->k == ValueType::Str || r->k == ValueType::Str;
        if (IsComparison(x.op) || !IsArithmetic(x.op))
            return Folded{ValueType::Int, 0, 0};  // the value matters nowhere an error depends on it
        if (str)
            return Folded{ValueType::Str, 0, 0};
        if (x.op == '^' || l->k == ValueType::Float || r->k == ValueType::Float) {
            const double a = l->Real(), b = r->Real();
            double v = 0;
            switch (x.op) {
            case '+': v = a + b; break;
            case '-': v = a - b; break;
            case '*': v = a * b; break;
            case '/': v = b != 0 ? a / b : 0; break;
            case '^': v = std::pow(a, b); break;
            default: v = b != 0 ? std::fmod(a, b) : 0; break;
            }
            return Folded{ValueType::Float, 0, static_cast<float>(v)};
        }
        const std::int64_t a = l->i, b = r->i;
        std::int64_t v = 0;
        switch (x.op) {
        case '+': v = a + b; break;
        case '-': v = a - b; break;
        case '*': v = a * b; break;
        case '/': v = b != 0 ? a / b : 0; break;
        default: v = b != 0 ? a % b : 0; break;
        }
        return Folded{ValueType::Int, Wrap(v), 0};
    }
    default: return std::nullopt;
    }
}

SymRef Checker::FindVar(NameId name)
{
    if (auto it = u.vars.find(name); it != u.vars.end()) {
        if (partial && m_unitIndex == 0 && u.syms[it->second].order > (m_order >> 10))
            aborted = true;
        CountUse(u.syms[it->second]);
        return SymRef{m_unitIndex, it->second};
    }
    if (auto g = m.gvars.find(name); g != m.gvars.end()) {
        const Symbol& s = m.globals[g->second];
        // In the main program a Global is known from its line on; one a
        // function declares, only once the functions are checked after it.
        if (partial && s.kind != SymKind::Const && (s.order >= (m_order >> 10) || s.owner != 0))
            aborted = true;
        return SymRef{SymRef::kGlobal, g->second};
    }
    return SymRef{};
}

void Checker::Used(Symbol& s, const Expr& e)
{
    if (&e == m_written) {
        s.assigned = true;
    } else if (!s.read) {
        s.read = true;
        s.readFile = m_file;
        s.readRow = m_pos.row;
        s.readCol = m_f->NameCol(e);
    }
}

ValueType Checker::Variable(Expr& e)
{
    const NameId typeName = m_f->TypeOf(e).name;
    const std::optional<ValueType> tagged = TagType(e.tag, typeName);
    SymRef ref = FindVar(e.name);
    if (!ref) {
        Symbol s;
        s.kind = SymKind::Local;
        s.implicit = true;
        s.name = e.name;
        s.tag = e.tag;
        s.typeName = m_f->TypeOf(e).name;
        s.type = tagged ? *tagged : kIntType;
        s.col = m_f->NameCol(e);
        e.sym = Declare(s);
        Used(u.syms.back(), e);
        return u.syms.back().type;
    }
    e.sym = ref;
    Symbol& s = Sym(ref);
    Used(s, e);
    if (ref.unit == SymRef::kGlobal && m_unitIndex != 0 && s.kind == SymKind::Global &&
        std::find(u.globalsUsed.begin(), u.globalsUsed.end(), e.name) == u.globalsUsed.end())
        u.globalsUsed.push_back(e.name);
    if (s.kind == SymKind::Array) {
        Error(Msg::MayNotBeUsedLikeThis, e.name);
        return ValueType{};
    }
    const ValueType own = SymbolValue(s);
    if (tagged && tagged->k != ValueType::Unknown && !(*tagged == own) && own.k != ValueType::Unknown)
        Error(Msg::VariableTypeMismatch);
    return own;
}

bool Checker::IsArrayHere(NameId name) const
{
    const auto first = std::lower_bound(m.dimAt.begin(), m.dimAt.end(), std::make_pair(name, std::uint64_t(0)));
    return first != m.dimAt.end() && first->first == name && first->second < m_order;
}

ValueType Checker::Element(Expr& e)
{
    const ExprList args = m_f->Items(e);
    std::vector<ValueType> subscripts;
    for (std::uint32_t i = 0; i < args.count; ++i)
        subscripts.push_back(Value(m_f->ListItem(args.first, i)));
    for (ValueType t : subscripts)
        Cast(t, kIntType);
    const std::optional<ValueType> tagged = TagType(e.tag, m_f->TypeOf(e).name);
    auto g = m.gvars.find(e.name);
    if (partial && g != m.gvars.end() &&
        (m.globals[g->second].order >= (m_order >> 10) || m.globals[g->second].owner != 0))
        aborted = true;
    if (g == m.gvars.end() || m.globals[g->second].kind != SymKind::Array) {
        Error(Msg::ArrayNotFound);
        return ValueType{};
    }
    e.sym = SymRef{SymRef::kGlobal, g->second};
    const Symbol& s = m.globals[g->second];
    if (tagged && tagged->k != ValueType::Unknown && !(*tagged == s.type))
        Error(Msg::ArrayTypeMismatch);
    if (s.dims != args.count)
        Error(Msg::IncorrectDimensions);
    return s.type;
}

ValueType Checker::Call(const CallSite& c, SymRef& bind)
{
    const std::optional<ValueType> tagged = TagType(c.tag, c.typeName);
    ValueType result;
    std::vector<ValueType> params;
    std::vector<bool> optional;
    if (auto f = m.funcs.find(c.name); f != m.funcs.end()) {
        const Symbol& s = m.globals[f->second];
        bind = SymRef{SymRef::kGlobal, f->second};
        const Unit& body = m.units[s.owner];
        result = s.type;
        for (const Symbol& p : body.syms) {
            if (p.kind != SymKind::Param)
                continue;
            optional.push_back(params.size() >= body.required);
            params.push_back(p.type);
        }
    } else if (auto b = m.builtins.find(c.name); b != m.builtins.end()) {
        const Callable& command = m.callables[b->second];
        for (const Callable::Param& p : command.params) {
            params.push_back(TagValue(p.name.empty() ? 0 : p.name.back()));
            optional.push_back(p.optional);
        }
        switch (command.result) {
        case ' ': result = ValueType{ValueType::Void}; break;
        case '?': result = ValueType{ValueType::Basic}; break;
        default: result = TagValue(command.result); break;
        }
    } else {
        if (auto s = m.shipped.find(c.name); s != m.shipped.end())
            Error(Msg::UserlibNotInstalled, c.name, s->second);
        else
            Error(Msg::FunctionNotFound, c.name);
        for (std::uint32_t i = 0; i < c.count; ++i)
            Value(m_f->ListItem(c.list, i));
        return ValueType{};
    }
    if (tagged && tagged->k != ValueType::Unknown && result.k != ValueType::Basic && !(*tagged == result))
        Error(Msg::FunctionReturnType);
    std::vector<ValueType> args;
    if (c.preset)
        args.push_back(*c.preset);
    for (std::uint32_t i = 0; i < c.count && !c.preset; ++i)
        args.push_back(Value(m_f->ListItem(c.list, i)));
    if (args.size() > params.size())
        Error(Msg::TooManyParameters);
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i < args.size())
            Cast(args[i], params[i]);
        else if (!optional[i])
            Error(Msg::NotEnoughParameters);
    }
    return result;
}

ValueType Checker::Arithmetic(const Expr& e, ValueType l, ValueType r)
{
    if (IsObject(l) || IsObject(r)) {
        Error(Msg::ArithmeticOnObjects);
        return ValueType{};
    }
    ValueType t;
    if (l.k == ValueType::Str || r.k == ValueType::Str) {
        if (e.op != '+')
            Error(Msg::OperatorOnStrings);
        t = kStrType;
    } else if (l.k == ValueType::Unknown || r.k == ValueType::Unknown) {
        t = ValueType{};
    } else if (l.k == ValueType::Basic || r.k == ValueType::Basic) {
        t = ValueType{ValueType::Basic};
    } else if (e.op == '^' || l.k == ValueType::Float || r.k == ValueType::Float) {
        t = kFloatType;
    } else {
        t = kIntType;
    }
    Cast(l, t.k == ValueType::Basic ? kIntType : t);
    Cast(r, t.k == ValueType::Basic ? kIntType : t);
    if ((e.op == '/' || e.op == kMod) && t.k != ValueType::Str) {
        if (const std::optional<Folded> d = Fold(e.b); d && d->k != ValueType::Str) {
            const bool zero = t.k == ValueType::Int ? d->Int() == 0 : d->Real() == 0;
            if (zero)
                Error(Msg::DivisionByZero);
        }
    }
    return t;
}

ValueType Checker::Comparison(ValueType l, ValueType r, std::uint16_t op)
{
    ValueType common;
    if (IsObject(l) || IsObject(r)) {
        if (op != '=' && op != kNe)
            Error(Msg::IllegalOperatorForObjects);
        common = l.k != ValueType::Null ? l : r;
    } else if (l.k == ValueType::Str || r.k == ValueType::Str) {
        common = kStrType;
    } else if (l.k == ValueType::Unknown || r.k == ValueType::Unknown) {
        common = ValueType{};
    } else if (l.k == ValueType::Float || r.k == ValueType::Float) {
        common = kFloatType;
    } else {
        common = l.k == ValueType::Basic || r.k == ValueType::Basic ? ValueType{ValueType::Basic} : kIntType;
    }
    Cast(l, common);
    Cast(r, common);
    return kIntType;
}

ValueType Checker::Value(std::uint32_t index)
{
    if (!index)
        return ValueType{};
    Expr& e = m.files[m_file].syntax.E(index);
    switch (e.kind) {
    case ExprKind::IntConst: return kIntType;
    case ExprKind::FloatConst: return kFloatType;
    case ExprKind::StringConst: return kStrType;
    case ExprKind::Null: return ValueType{ValueType::Null};
    case ExprKind::Param: return ValueType{};
    case ExprKind::Var: return Variable(e);
    case ExprKind::Field: {
        const ValueType base = Value(e.a);
        if (base.k == ValueType::Unknown)
            return ValueType{};
        if (!IsObject(base)) {
            Error(Msg::VariableMustBeType);
            return ValueType{};
        }
        auto f = m.fields.find((std::uint64_t(base.type) << 32) | e.name);
        if (base.k == ValueType::Null || f == m.fields.end()) {
            Error(Msg::TypeFieldNotFound);
            return ValueType{};
        }
        e.sym = SymRef{SymRef::kGlobal, f->second};
        return SymbolValue(m.globals[f->second]);
    }
    case ExprKind::Vector: {
        const ValueType base = Value(e.a);
        const std::uint32_t subscript = e.b;
        if (base.k != ValueType::Vector) {
            if (base.k != ValueType::Unknown)
                Error(Msg::VariableMustBeBlitzArray);
            Value(subscript);
            return ValueType{};
        }
        Cast(Value(subscript), kIntType);
        if (const std::optional<Folded> at = Fold(subscript); at && base.size && at->k != ValueType::Str &&
                                                             at->Int() >= static_cast<std::int64_t>(base.size))
            Error(Msg::SubscriptOutOfRange);
        return ValueType{base.elem, ValueType::Unknown, base.type};
    }
    case ExprKind::CallOrArray: {
        if (IsArrayHere(e.name))
            return Element(e);
        const ExprList args = m_f->Items(e);
        return Call(CallSite{e.name, e.tag, m_f->TypeOf(e).name, args.first, args.count}, e.sym);
    }
    case ExprKind::New:
    case ExprKind::First:
    case ExprKind::Last:
    case ExprKind::Object: {
        if (e.kind == ExprKind::Object)
            Cast(Value(e.a), kIntType);
        auto t = m.types.find(e.name);
        if (t == m.types.end()) {
            Error(e.kind == ExprKind::First ? Msg::CustomTypeNameNameNotFound : Msg::CustomTypeNameNotFound);
            return ValueType{};
        }
        e.sym = SymRef{SymRef::kGlobal, t->second};
        return ValueType{ValueType::Struct, ValueType::Unknown, t->second};
    }
    case ExprKind::Before:
    case ExprKind::After: {
        const ValueType t = Value(e.a);
        const bool before = e.kind == ExprKind::Before;
        if (t.k == ValueType::Null)
            Error(before ? Msg::BeforeNull : Msg::AfterNull);
        else if (t.k != ValueType::Struct && t.k != ValueType::Unknown)
            Error(before ? Msg::BeforeNeedsObject : Msg::AfterNeedsObject);
        return t;
    }
    case ExprKind::Handle: {
        const ValueType t = Value(e.a);
        if (!IsObject(t) && t.k != ValueType::Unknown)
            Error(Msg::HandleNeedsObject);
        return kIntType;
    }
    case ExprKind::Cast:
        Value(e.a);
        return e.tag == Tag::Int ? kIntType : e.tag == Tag::Float ? kFloatType : kStrType;
    case ExprKind::Unary: {
        const ValueType t = Value(e.a);
        if (e.op == '~') {
            Cast(t, kIntType);
            return kIntType;
        }
        if (e.op == kNot)
            return Comparison(t, kIntType, '=');
        if (!IsNumber(t) && t.k != ValueType::Unknown && t.k != ValueType::Basic)
            Error(Msg::IllegalOperatorForType);
        return t;
    }
    case ExprKind::Binary: {
        if (!IsArithmetic(e.op) && !IsComparison(e.op)) {
            // And, Or, Xor and the shifts work on integers.
            Cast(Value(e.a), kIntType);
            Cast(Value(e.b), kIntType);
            return kIntType;
        }
        const ValueType l = Value(e.a);
        const ValueType r = Value(e.b);
        return IsArithmetic(e.op) ? Arithmetic(e, l, r) : Comparison(l, r, e.op);
    }
    }
    return ValueType{};
}

}  // namespace lang
