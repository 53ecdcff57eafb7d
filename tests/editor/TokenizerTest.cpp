#include "editor/Tokenizer.h"
#include "language/Lexer.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// "W1:Text" for a name of kind 1, "N:5" for a number, ...
std::string Tokens(std::string_view line, const NameTable& commands, const NameTable& declared,
                   const LexRules& rules = {})
{
    std::vector<Token> tokens;
    Tokenize(line, rules, commands, declared, tokens);
    std::string out;
    for (const Token& t : tokens) {
        if (!out.empty())
            out += ' ';
        out += "TCSNOKWXL"[static_cast<int>(t.cls)];  // in the order TokenClass declares them
        if (t.kind)
            out += std::to_string(t.kind);
        out += ':';
        out += line.substr(t.start, t.length);
    }
    return out;
}

EditorKeyword Declared(const char* name, int kind)
{
    return {name, {}, std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}), {}, {}, 0};
}

}  // namespace

TEST(Tokenizer, SplitsALineIntoColouredTokens)
{
    NameTable commands;
    for (const char* c : {"Text", "Str", "LoadImage", "Graphics", "Print", "End"})
        commands.Add(c, kKindCommand);
    const NameTable none;
    const std::pair<std::string, std::string> rows[] = {
        {"Text 10, 20, \"a;b\" ; note", "W1:Text N:10 T:, N:20 T:, S:\"a;b\" C:; note"},
        {"text x,y,Str(5)", "W1:text W:x T:, W:y T:, W1:Str T:( N:5 T:)"},
        {"a = $FF + %101 - 1.5 * .5", "W:a O:= N:$FF O:+ N:%101 O:- N:1.5 O:* N:.5"},
        {"name$ = \"unterminated", "W:name X:$ O:= S:\"unterminated"},
        {"x% = y# + z$", "W:x X:% O:= W:y X:# O:+ W:z X:$"},
        {"f(a)%10", "W:f T:( W:a T:) T:% N:10"},
        {"If x Then Print \"y\" Else End", "K:If W:x K:Then W1:Print S:\"y\" K:Else W1:End"},
        {"\t.loop ; label", "L5:.loop C:; label"},
        {"Goto loop : p.Player = First Player", "K:Goto W:loop T:: W:p T:. W:Player O:= K:First W:Player"},
        {"x.5", "W:x T:. N:5"},
        {"\t  ", ""},
        {"; only a comment", "C:; only a comment"},
        {"\xE9t\xE9 = 1", "T:\xE9 W:t T:\xE9 O:= N:1"},
    };
    for (const auto& [line, expected] : rows)
        EXPECT_EQ(Tokens(line, commands, none), expected) << line;
}

TEST(Tokenizer, DeclaredNamesMatchTheirBareIdentifierInAnyCase)
{
    EditorKeywordList list;
    // The first entry of a name decides: SCORE stays a global.
    for (const auto& [name, kind] :
         {std::pair{"score", kKindGlobal}, {"title$", kKindGlobal}, {"Area#", kKindFunction}, {"grid()", kKindGlobal},
          {"Player", kKindType}, {"MAXLEN%", kKindConst}, {"start", kKindLabel}, {"i", kKindLocal},
          {"hero.Player", kKindLocal}, {"SCORE", kKindLocal}})
        list.Add(Declared(name, kind));
    const NameTable declared(list);
    NameTable commands;
    commands.Add("Print", kKindCommand);

    EXPECT_EQ(Tokens("Print Score + TITLE$ + area#(2) + Grid(i) + maxlen", commands, declared),
              "W1:Print W2:Score O:+ W2:TITLE X2:$ O:+ W4:area X4:# T:( N:2 T:) O:+ W2:Grid T:( W8:i T:) "
              "O:+ W6:maxlen");
    EXPECT_EQ(Tokens("p.Player = New player : Gosub start", commands, declared),
              "W:p T:. W3:Player O:= K:New W3:player T:: K:Gosub W5:start");
    EXPECT_EQ(Tokens("hero\\x = 1", commands, declared), "W8:hero T:\\ W:x O:= N:1");

    // Commands win over a declared name of the same spelling.
    list.Add(Declared("print", kKindGlobal));
    EXPECT_EQ(Tokens("print", commands, NameTable(list)), "W1:print");
}

TEST(Tokenizer, CommentStringAndOperatorCharactersComeFromTheSettings)
{
    LexRules rules;
    rules.commentChar = '\'';
    rules.stringChar = '`';
    rules.SetOperators("+");
    const NameTable none;
    EXPECT_EQ(Tokens("a = `b;c` + 1 ' rest ; x", none, none, rules), "W:a T:= S:`b;c` O:+ N:1 C:' rest ; x");
    rules.commentChar = '\0';
    rules.stringChar = '\0';
    EXPECT_EQ(Tokens("a ; \"b\"", none, none, rules), "W:a T:; T:\" W:b T:\"");
}

// A long line is tokenized again only from a place before an edit, up to a
// place after it where the earlier run rejoins: what it gives from any such
// place must be what a run over the whole line gives.
TEST(Tokenizer, ResumingAtAPlaceGivesTheTokensOfTheWholeLine)
{
    NameTable commands;
    commands.Add("Text", kKindCommand);
    const NameTable declared;
    const LexRules rules;
    const std::string line = "  .lbl a%1 Text(x)$1F : b$ = \"q ; r\" + c%10 ] %1 ; note";
    std::vector<Token> whole;
    std::vector<LexPoint> points;
    TokenizeSpan(line, rules, commands, declared, {}, INT_MAX, {}, 1, points, whole);
    ASSERT_GT(points.size(), 10u);
    for (const LexPoint& from : points) {
        std::vector<Token> tail;
        std::vector<LexPoint> unused;
        const LexPoint end = TokenizeSpan(line, rules, commands, declared, from, INT_MAX, {}, INT_MAX, unused, tail);
        std::vector<Token> expected;
        for (const Token& t : whole)
            if (t.start >= from.offset)
                expected.push_back(t);
        ASSERT_EQ(tail.size(), expected.size()) << "from " << from.offset;
        for (std::size_t i = 0; i < tail.size(); ++i)
            EXPECT_TRUE(tail[i].start == expected[i].start && tail[i].length == expected[i].length &&
                        tail[i].cls == expected[i].cls && tail[i].kind == expected[i].kind)
                << "from " << from.offset << ", token at " << tail[i].start;
        EXPECT_EQ(end.offset, int(line.size()));

        // Asked to rejoin at a later place of the run, it stops there.
        const LexPoint later = points.back();
        if (later.offset > from.offset) {
            tail.clear();
            EXPECT_EQ(TokenizeSpan(line, rules, commands, declared, from, from.offset + 1, {later}, INT_MAX, unused,
                                   tail),
                      later);
        }
    }
}

// The colouring and the language's lexer cut names, keywords, numbers and
// strings at the same places.
TEST(Tokenizer, CutsTokensWhereTheLanguageDoes)
{
    const NameTable none;
    for (std::string_view line : {"If a=$fF+%1012 Then b=1.5*.5:c=3.+12 ; x", "Print \"a;b\"+\"open", "_x1 = y_2 While"}) {
        std::vector<Token> colour;
        Tokenize(line, LexRules(), none, none, colour);
        std::string coloured, lexed;
        for (const Token& t : colour)
            if (t.cls == TokenClass::Name || t.cls == TokenClass::Keyword || t.cls == TokenClass::Number ||
                t.cls == TokenClass::String)
                coloured += std::string(line.substr(t.start, t.length)) + "|";
        lang::NameTable names;
        std::vector<lang::Token> tokens;
        lang::LexLine(line, std::uint32_t(line.size()), names, tokens);
        for (const lang::Token& t : tokens)
            if (t.kind >= lang::kIdent && t.kind != lang::kNe && t.kind != lang::kLe && t.kind != lang::kGe)
                lexed += std::string(line.substr(t.col, t.len)) + "|";
        EXPECT_EQ(coloured, lexed) << line;
    }
}
