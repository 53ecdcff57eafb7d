#include "language/Checker.h"

#include <algorithm>

// Expressions: binding their names and the compiler's type rules, as far as
// they can be told without the runtime's result types (a built-in
// command's result is Unknown, which converts to anything).
namespace lang {

namespace {

bool IsArithmetic(std::uint16_t op)
{
    return op == '+' || op == '-' || op == '*' || op == '/' || op == kMod || op == '^';
}

}  // namespace

std::optional<ValueType> Checker::TagType(Tag tag, NameId typeName)
{
    switch (tag) {
    case Tag::Int: return ValueType{ValueType::Int};
    case Tag::Float: return ValueType{ValueType::Float};
    case Tag::Str: return ValueType{ValueType::Str};
    case Tag::Custom:
        if (auto t = m.types.find(typeName); t != m.types.end())
            return ValueType{ValueType::Struct, t->second};
        Error(Msg::TypeNotFound, typeName);
        return ValueType{};
    default: return std::nullopt;
    }
}

void Checker::Cast(ValueType from, ValueType to)
{
    if (from.k == ValueType::Unknown || to.k == ValueType::Unknown || from.k == ValueType::Vector ||
        to.k == ValueType::Vector)
        return;
    if (to.k == ValueType::Struct) {
        if (from.k != ValueType::Null && !(from == to))
            Error(Msg::IllegalTypeConversion);
    } else if (from.k == ValueType::Struct) {
        Error(Msg::IllegalTypeConversion);
    }
}

bool Checker::IsConstant(std::uint32_t e) const
{
    if (!e)
        return true;
    const Expr& x = m_f->E(e);
    switch (x.kind) {
    case ExprKind::IntConst:
    case ExprKind::FloatConst:
    case ExprKind::StringConst: return true;
    case ExprKind::Var:
        return x.sym && x.sym.unit == SymRef::kGlobal && m.globals[x.sym.index].kind == SymKind::Const;
    case ExprKind::Cast:
    case ExprKind::Unary: return IsConstant(x.a);
    case ExprKind::Binary: return IsConstant(x.a) && IsConstant(x.b);
    default: return false;
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
        s.typeName = typeName;
        s.type = tagged ? *tagged : ValueType{ValueType::Int};
        s.col = m_f->NameCol(e);
        e.sym = Declare(s);
        return u.syms.back().type;
    }
    e.sym = ref;
    const Symbol& s = Sym(ref);
    if (s.kind == SymKind::Array) {
        Error(Msg::MayNotBeUsedLikeThis, e.name);
        return ValueType{};
    }
    if (tagged && tagged->k != ValueType::Unknown && !(*tagged == s.type) && s.type.k != ValueType::Unknown)
        Error(Msg::VariableTypeMismatch);
    return s.vector ? ValueType{ValueType::Vector} : s.type;
}

bool Checker::IsArrayHere(NameId name) const
{
    auto it = m.dimAt.find(name);
    if (it == m.dimAt.end())
        return false;
    return std::any_of(it->second.begin(), it->second.end(), [&](std::uint64_t at) { return at < m_order; });
}

ValueType Checker::Element(Expr& e)
{
    const ExprList args = m_f->Items(e);
    for (std::uint32_t i = 0; i < args.count; ++i)
        Value(m_f->ListItem(args.first, i));
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
    if (s.dims != args.count)
        Error(Msg::IncorrectSubscripts);
    const std::optional<ValueType> tagged = TagType(e.tag, m_f->TypeOf(e).name);
    if (tagged && tagged->k != ValueType::Unknown && !(*tagged == s.type))
        Error(Msg::VariableTypeMismatch);
    return s.type;
}

ValueType Checker::Call(NameId name, std::uint32_t list, std::uint32_t count, SymRef& bind, std::uint32_t extraArg)
{
    std::uint32_t required = 0, total = 0;
    ValueType result;
    std::vector<ValueType> params;
    if (auto f = m.funcs.find(name); f != m.funcs.end()) {
        const Symbol& s = m.globals[f->second];
        bind = SymRef{SymRef::kGlobal, f->second};
        const Unit& body = m.units[s.owner];
        required = body.required;
        total = body.total;
        result = s.type;
        for (const Symbol& p : body.syms)
            if (p.kind == SymKind::Param)
                params.push_back(p.type);
    } else if (auto b = m.builtins.find(name); b != m.builtins.end()) {
        const Callable& c = m.callables[b->second];
        total = static_cast<std::uint32_t>(c.params.size());
        for (std::uint32_t i = 0; i < total; ++i)
            if (!c.params[i].optional)
                required = i + 1;
    } else {
        if (auto s = m.shipped.find(name); s != m.shipped.end())
            Error(Msg::UserlibNotInstalled, name, s->second);
        else
            Error(Msg::FunctionNotFound, name);
        for (std::uint32_t i = 0; i < count && !extraArg; ++i)
            Value(m_f->ListItem(list, i));
        return ValueType{};
    }
    std::vector<ValueType> args;
    for (std::uint32_t i = 0; i < count && !extraArg; ++i)
        args.push_back(Value(m_f->ListItem(list, i)));
    if (count > total) {
        Error(Msg::TooManyParameters);
    } else if (count < required) {
        Error(Msg::NotEnoughParameters);
    } else {
        for (std::size_t i = 0; i < args.size() && i < params.size(); ++i)
            Cast(args[i], params[i]);
    }
    return result;
}

ValueType Checker::Value(std::uint32_t index)
{
    if (!index)
        return ValueType{};
    Expr& e = m.files[m_file].syntax.E(index);
    switch (e.kind) {
    case ExprKind::IntConst: return ValueType{ValueType::Int};
    case ExprKind::FloatConst: return ValueType{ValueType::Float};
    case ExprKind::StringConst: return ValueType{ValueType::Str};
    case ExprKind::Null: return ValueType{ValueType::Null};
    case ExprKind::Param: return ValueType{};
    case ExprKind::Var: return Variable(e);
    case ExprKind::Field: {
        const ValueType base = Value(e.a);
        if (base.k != ValueType::Struct)
            return ValueType{};
        auto f = m.fields.find((std::uint64_t(base.type) << 32) | e.name);
        if (f == m.fields.end()) {
            Error(Msg::TypeFieldNotFound);
            return ValueType{};
        }
        e.sym = SymRef{SymRef::kGlobal, f->second};
        const Symbol& s = m.globals[f->second];
        if (e.tag != Tag::None && e.tag != Tag::Custom) {
            const std::optional<ValueType> tagged = TagType(e.tag, kNoName);
            if (tagged && !(*tagged == s.type))
                Error(Msg::VariableTypeMismatch);
        }
        return s.vector ? ValueType{ValueType::Vector} : s.type;
    }
    case ExprKind::Vector:
        Value(e.a);
        Value(e.b);
        return ValueType{};
    case ExprKind::CallOrArray: {
        if (IsArrayHere(e.name))
            return Element(e);
        const ExprList args = m_f->Items(e);
        return Call(e.name, args.first, args.count, e.sym);
    }
    case ExprKind::New:
    case ExprKind::First:
    case ExprKind::Last:
    case ExprKind::Object: {
        if (e.kind == ExprKind::Object)
            Value(e.a);
        auto t = m.types.find(e.name);
        if (t == m.types.end()) {
            Error(Msg::TypeNotFound, e.name);
            return ValueType{};
        }
        e.sym = SymRef{SymRef::kGlobal, t->second};
        return ValueType{ValueType::Struct, t->second};
    }
    case ExprKind::Before:
    case ExprKind::After: return Value(e.a);
    case ExprKind::Handle: Value(e.a); return ValueType{ValueType::Int};
    case ExprKind::Cast: {
        Value(e.a);
        return ValueType{e.tag == Tag::Int ? ValueType::Int : e.tag == Tag::Float ? ValueType::Float : ValueType::Str};
    }
    case ExprKind::Unary: {
        const ValueType t = Value(e.a);
        if (e.op == kNot || e.op == '~')
            return ValueType{ValueType::Int};
        return t;
    }
    case ExprKind::Binary: {
        const ValueType l = Value(e.a);
        const ValueType r = Value(e.b);
        if (!IsArithmetic(e.op))
            return ValueType{ValueType::Int};
        if (l.k == ValueType::Str || r.k == ValueType::Str) {
            if (e.op != '+')
                Error(Msg::OperatorOnStrings);
            return ValueType{ValueType::Str};
        }
        if (l.k == ValueType::Unknown || r.k == ValueType::Unknown || l.k == ValueType::Struct ||
            r.k == ValueType::Struct || l.k == ValueType::Vector || r.k == ValueType::Vector ||
            l.k == ValueType::Null || r.k == ValueType::Null)
            return ValueType{};
        if (l.k == ValueType::Float || r.k == ValueType::Float || e.op == '^')
            return ValueType{ValueType::Float};
        return ValueType{ValueType::Int};
    }
    }
    return ValueType{};
}

}  // namespace lang
