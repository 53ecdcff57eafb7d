#include "language/FileSyntax.h"

#include <gtest/gtest.h>

using namespace lang;

namespace {

std::string Tokens(std::string_view line)
{
    NameTable names;
    std::vector<Token> tokens;
    LexLine(line, static_cast<std::uint32_t>(line.size()), names, tokens);
    std::string out;
    for (const Token& t : tokens) {
        if (!out.empty())
            out += ' ';
        const std::string text(line.substr(t.col, t.len));
        switch (t.kind) {
        case kEol: out += "eol@" + std::to_string(t.col); break;
        case kIdent: out += "id:" + std::string(names.Text(t.name)); break;
        case kIntConst: out += "int:" + text; break;
        case kFloatConst: out += "float:" + text; break;
        case kStringConst: out += "str:" + text; break;
        case kBinConst: out += "bin:" + text; break;
        case kHexConst: out += "hex:" + text; break;
        case kNe: out += "<>"; break;
        case kLe: out += "<="; break;
        case kGe: out += ">="; break;
        default:
            out += t.kind < 256 ? std::string(1, char(t.kind)) : "kw:" + std::string(KeywordText(t.kind));
        }
    }
    return out;
}

// A compact picture of a file's statements and expressions.
struct Printer {
    const FileSyntax& f;
    const NameTable& names;

    std::string Name(NameId n) const { return std::string(names.Text(n)); }
    static std::string TagText(Tag t)
    {
        return t == Tag::Int ? "%" : t == Tag::Float ? "#" : t == Tag::Str ? "$" : t == Tag::Custom ? "." : "";
    }
    static std::string Op(std::uint16_t op) { return op < 256 ? std::string(1, char(op)) : std::string(KeywordText(op)); }

    std::string List(std::uint32_t list, std::uint32_t count) const
    {
        std::string out;
        for (std::uint32_t i = 0; i < count; ++i)
            out += (i ? "," : "") + E(f.ListItem(list, i));
        return out;
    }

    std::string E(std::uint32_t i) const
    {
        if (!i)
            return "-";
        const Expr& e = f.E(i);
        const std::string tag = TagText(e.tag) + (e.tag == Tag::Custom ? Name(f.TypeOf(e).name) : "");
        switch (e.kind) {
        case ExprKind::IntConst: return std::to_string(static_cast<long long>(ConstValue(e)));
        case ExprKind::FloatConst: return "f";
        case ExprKind::StringConst: return "s";
        case ExprKind::Null: return "null";
        case ExprKind::Var: return Name(e.name) + tag;
        case ExprKind::Field: return E(e.a) + "\\" + Name(e.name) + tag;
        case ExprKind::Vector: return E(e.a) + "[" + E(e.b) + "]";
        case ExprKind::CallOrArray: return Name(e.name) + tag + "(" + List(f.Items(e).first, f.Items(e).count) + ")";
        case ExprKind::New: return "new " + Name(e.name);
        case ExprKind::First: return "first " + Name(e.name);
        case ExprKind::Last: return "last " + Name(e.name);
        case ExprKind::Before: return "before " + E(e.a);
        case ExprKind::After: return "after " + E(e.a);
        case ExprKind::Handle: return "handle " + E(e.a);
        case ExprKind::Object: return "object." + Name(e.name) + " " + E(e.a);
        case ExprKind::Cast: return "cast" + TagText(e.tag) + " " + E(e.a);
        case ExprKind::Unary: return "(" + Op(e.op) + " " + E(e.a) + ")";
        case ExprKind::Binary: return "(" + E(e.a) + " " + Op(e.op) + " " + E(e.b) + ")";
        case ExprKind::Param: return Name(e.name) + tag + (e.a ? "=" + E(e.a) : "");
        }
        return "?";
    }

    std::string S(StmtPos p) const
    {
        const Stmt& s = f.At(p);
        static const char* const kinds[] = {
            "Stray", "Include", "Assign", "Call", "If", "IfLine", "ElseIf", "ElseIfLine", "Else", "EndIf", "While",
            "Wend", "Repeat", "Until", "Forever", "Select", "Case", "Default", "EndSelect", "For", "ForEach", "Next",
            "Exit", "Goto", "Gosub", "Return", "Delete", "DeleteEach", "Insert", "Read", "Restore", "Data", "Type",
            "Field", "EndType", "Const", "Global", "Local", "Dim", "Function", "EndFunction", "Label", "End"};
        std::string out = kinds[static_cast<int>(s.kind)];
        if (s.name && s.kind != StmtKind::Assign)
            out += " " + Name(s.name) + TagText(s.tag) + Name(f.TypeOf(s).name);
        if (s.kind == StmtKind::Include)
            out += " \"" + std::string(f.Text(s)) + "\"";
        if (s.kind != StmtKind::Include) {
            for (std::uint32_t e : {s.a, s.b, s.c})
                if (e)
                    out += " " + E(e);
            if (s.count)
                out += " [" + List(s.list, s.count) + "]";
        }
        if (s.error != Msg::None)
            out += " !" + std::to_string(f.ErrorCol(p));
        return out;
    }

    std::string All() const
    {
        std::string out;
        for (std::uint32_t row = 0; row < f.LineCount(); ++row)
            for (std::uint32_t k = 0; k < f.Lines()[row].count; ++k)
                out += (out.empty() ? "" : " | ") + S({row, k});
        return out;
    }
};

std::string Tree(std::string_view text)
{
    NameTable names;
    FileSyntax f;
    f.Parse(text, names);
    return Printer{f, names}.All();
}

}  // namespace

TEST(SyntaxTest, LinesAreCutIntoTheCompilersTokens)
{
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"x% = $FF + %101 - 1.5 * .5", "id:x % = hex:$FF + bin:%101 - float:1.5 * float:.5 eol@26"},
        {"a$=\"semi;colon\" ; comment", "id:a $ = str:\"semi;colon\" eol@25"},
        {"If a<>b Or c=<d And e=>f Then", "kw:If id:a <> id:b kw:Or id:c <= id:d kw:And id:e >= id:f kw:Then eol@29"},
        {"End If : END   IF : EndIf : Else If", "kw:EndIf : id:end kw:If : kw:EndIf : kw:ElseIf eol@35"},
        {"p.Point\\next_one\\x#", "id:p . id:point \\ id:next_one \\ id:x # eol@19"},
        {"\"open string", "str:\"open string eol@12"},
        {"\tLabel\x80x", "id:label \x80 id:x eol@8"},
        {"Print 12.", "id:print float:12. eol@9"},
    };
    for (const auto& [line, tokens] : rows)
        EXPECT_EQ(Tokens(line), tokens) << line;
}

TEST(SyntaxTest, StatementsKeepTheirParts)
{
    const std::pair<std::string_view, std::string_view> rows[] = {
        // precedence: Not lowest, And/Or, comparisons, + -, shifts, * / Mod, ^, unary
        {"x = Not a + b * c ^ 2 > 1 And d Shl 2", "Assign x (Not (((a + (b * (c ^ 2))) > 1) And (d Shl 2)))"},
        {"y# = -a ^ 2 Mod 3 + ~b", "Assign y# ((((- a) ^ 2) Mod 3) + (~ b))"},
        {"s$ = Str$ Int(f#) + Float 3", "Assign s$ (cast$ cast% f# + cast# 3)"},
        // calls with and without brackets, array assignment, fields and subscripts
        {"Print a, b : Text (x), y", "Call print [a,b] | Call text [x,y]"},
        {"f(1, 2)", "Call f [1,2]"},
        {"arr(i, j)\\nxt\\x = 5", "Assign arr(i,j)\\nxt\\x 5"},
        {"p\\v[2] = New Point", "Assign p\\v[2] new point"},
        {"n = First T : m = After Last T : Insert n Before m", "Assign n first t | Assign m after last t | Insert n m"},
        {"h = Handle(p) : q.T = Object.T h", "Assign h handle p | Assign q.t object.t h"},
        // declarations: one statement per name
        {"Global a, b.Point = Null, c$[10]", "Global a | Global b.point null | Global c$ 10"},
        {"Const A = 1, B# = 2.5", "Const a 1 | Const b# f"},
        {"Dim grid.Cell(10, 10), h#(5)", "Dim grid.cell [10,10] | Dim h# [5]"},
        {"Function f%(a, b.T, c$ = \"x\")", "Function f% [a,b.t,c$=s]"},
        {"Type T Field x, y# End Type", "Type t | Field x | Field y# | EndType"},
        // blocks: heads and ends as statements; a one-line If and its Else
        {"If a Then b = 1 Else c()", "IfLine a | Assign b 1 | Else | Call c"},
        {"If a Then\nElseIf b\nElse If c Then d\nEndIf", "If a | ElseIf b | ElseIfLine c | Call d | EndIf"},
        {"For i = 1 To 10 Step -1 : Next", "For i 1 10 [(- 1)] | Next"},
        {"For p.T = Each T : Delete p : Next : Delete Each T", "ForEach t p.t | Delete p | Next | DeleteEach t"},
        {"Select k : Case 1, 2 : Default : End Select", "Select k | Case [1,2] | Default | EndSelect"},
        {"Repeat : Until x : Repeat : Forever", "Repeat | Until x | Repeat | Forever"},
        {".top : Goto top : Gosub top : Return : Restore top", "Label top | Goto top | Gosub top | Return | Restore top"},
        {"Read a, b$ : Data 1, \"s\"", "Read a | Read b$ | Data 1 | Data s"},
        {"Include \"lib\\x.bb\" : End", "Include \"lib\\x.bb\" | Call end"},
        // statements may follow each other without ':'
        {"a = 1 b = 2", "Assign a 1 | Assign b 2"},
        // errors: the statement keeps what it is and where the error is
        {"x = (1 + 2", "Assign x !10"},
        {"f(1, (2)", "Call f !1"},
        {"Const C", "Const c !7"},
        {"For i = 1 10", "For i 1 !10"},
        {") Print 1", "Stray"},
        {"If a = ) Then Print", "IfLine !7 | Call print"},
    };
    for (const auto& [text, tree] : rows)
        EXPECT_EQ(Tree(text), tree) << text;
}

TEST(SyntaxTest, BlocksAreMatchedAsTheCompilerReadsThem)
{
    struct Row {
        std::string_view text;
        std::string_view diagnostics;  // row:col:message (from 1), in order
    };
    const Row rows[] = {
        {"While a\nWend\nRepeat\nUntil b\nFor i=1 To 2\nNext", ""},
        {"If a Then While b\nWend", ""},
        {"While a\nNext", "2:1:'Next' without 'For' 3:1:Expecting 'Wend'"},
        {"While a\nEnd Function", "2:1:'End Function' without 'Function' 3:1:Expecting 'Wend'"},
        {"If a\nElse\nElse\nEndIf", "3:1:'Else' without 'If'"},
        {"If a Then b EndIf", "1:13:'Endif' without 'If'"},
        {"If a\nElseIf b Then c\nEndIf", "2:16:Expecting 'EndIf'"},
        {"Select a\nPrint\nEnd Select", "2:1:Expecting 'Case', 'Default' or 'End Select'"},
        {"Select a\nDefault\nCase 1\nEnd Select", "3:1:'Case' without 'Select'"},
        {"Type T\nField a : Field b\nEnd Type", "2:9:Expecting 'Field' or 'End Type'"},
        {"Type T\nPrint\nEnd Type", "2:1:Expecting 'Field' or 'End Type' 3:1:Expecting end-of-file"},
        {"Field x", "1:1:Expecting end-of-file"},
        {"Function f()\nGlobal g\nConst c = 1\nData 1\nFunction h()\nEnd Function",
         "2:1:'Global' can only appear in main program 3:1:'Const' can only appear in main program "
         "4:1:'Data' can only appear in main program 5:1:'Function' can only appear in main program"},
        {"Function f()\r\nx = 1", "3:1:Expecting 'End Function'"},
    };
    for (const Row& row : rows) {
        NameTable names;
        FileSyntax f;
        f.Parse(row.text, names);
        std::string out;
        for (const BlockDiag& d : f.BlockDiags()) {
            std::uint32_t r = 0, c = 0;
            f.Place(d, r, c);
            out += (out.empty() ? "" : " ") + std::to_string(r + 1) + ":" + std::to_string(c + 1) + ":" +
                   MsgText(d.msg);
        }
        EXPECT_EQ(out, row.diagnostics) << row.text;
    }
}
