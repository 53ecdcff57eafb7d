#include "LanguageTestSupport.h"

#include "support/SourceGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

namespace {

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    return text;
}

std::vector<std::string> SymbolLines(lang::Program& p)
{
    std::vector<std::string> out;
    for (const lang::SymbolInfo& s : p.Symbols())
        out.push_back(std::to_string(int(s.kind)) + " " + s.name + s.typeText + " " + s.container + " " + s.place.file +
                      ":" + std::to_string(s.place.row) + ":" + std::to_string(s.place.col));
    std::sort(out.begin(), out.end());
    return out;
}

// The names completion offers on a row of the main file, implicit locals
// included.
std::vector<std::string> VisibleLines(lang::Program& p, std::uint32_t row)
{
    std::vector<std::string> out;
    for (const lang::SymbolInfo& s : p.VisibleNames("/r/main.bb", row))
        out.push_back(s.name + s.typeText + " " + std::to_string(s.place.row) + ":" + std::to_string(s.place.col));
    std::sort(out.begin(), out.end());
    return out;
}

// The two lists are equal; or the first place where they part.
::testing::AssertionResult Same(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    if (i == a.size() && i == b.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (i < a.size() ? a[i] : "(end)") << " against " << (i < b.size() ? b[i] : "(end)");
}

}  // namespace

// Random edits told to the model one by one leave it, after every edit, as a
// model built from scratch of the same texts: the same symbols, the same
// diagnostics.
static void EditAtRandom(unsigned seed)
{
    std::map<std::string, std::vector<std::string>> files{
        {"/r/main.bb", SplitCrLf(gen::BlitzProgram(200, "m", {"a.bb", "b.bb"}))},
        {"/r/a.bb", SplitCrLf(gen::BlitzProgram(120, "a"))},
        {"/r/b.bb", SplitCrLf(gen::BlitzProgram(120, "b") + "\r\nInclude \"a.bb\"")},
    };
    // Lines to type: ones that add or drop declarations, blocks, includes,
    // errors, and plain ones.
    const std::vector<std::string> typed = {
        "x = y + 1", "Local q = mscore0", "Global extra = 5", "While x", "Wend", "If x Then y = 2",
        "If x", "EndIf", "Goto nowhere", ".place", "Include \"b.bb\"", "mDrawHud0(1, 2)", "mDrawHud0(1)",
        "Function late(a)", "End Function", "y$ = \"s\" - 1", "Dim extra2(3)", "extra2(1) = mscore0",
        "Type TT", "Field f", "End Type", "; comment", "", "Exit", "Const K = 1", "k = 2", "zz# = 1.5",
    };
    std::mt19937 random(seed);
    lang::Program live;
    const auto texts = [&] {
        std::vector<std::pair<std::string, std::string>> out{{"/r/main.bb", Join(files["/r/main.bb"])}};
        for (const auto& [key, l] : files)
            if (key != "/r/main.bb")
                out.emplace_back(key, Join(l));
        return out;
    };
    Feed(live, texts());
    live.Diagnostics();
    for (int step = 0; step < 400; ++step) {
        auto file = files.begin();
        std::advance(file, random() % files.size());
        std::vector<std::string>& lines = file->second;
        const auto first = static_cast<std::uint32_t>(random() % lines.size());
        const std::uint32_t oldCount = std::min<std::uint32_t>(static_cast<std::uint32_t>(random() % 3),
                                                               static_cast<std::uint32_t>(lines.size()) - first);
        std::vector<std::string> fresh;
        const int kind = static_cast<int>(random() % 6);
        std::uint32_t oldLines = kind == 0 && oldCount > 0 ? 1 : oldCount;
        if (kind == 4) {
            // Enter at the start or the end of a line: the lines after it move down
            oldLines = 1;
            fresh = {lines[first], ""};
            if (random() % 2)
                std::swap(fresh[0], fresh[1]);
        } else if (kind == 5) {
            // an empty line taken out, or a line with the empty one before it
            oldLines = first + 1 < lines.size() ? 2 : 1;
            fresh = {oldLines == 2 && lines[first].empty() ? lines[first + 1] : lines[first]};
            if (oldLines == 2 && !lines[first].empty() && !lines[first + 1].empty())
                oldLines = 1;
        } else if (kind == 0 && oldCount > 0) {
            // a keystroke: one character in or out
            std::string line = lines[first];
            const std::size_t at = line.empty() ? 0 : random() % line.size();
            if (random() % 2 && !line.empty())
                line.erase(at, 1);
            else
                line.insert(at, 1, "ax1 (\\.#"[random() % 8]);
            fresh = {line};
        } else {
            for (std::uint32_t n = static_cast<std::uint32_t>(random() % 3); n-- > 0;)
                fresh.push_back(typed[random() % typed.size()]);
        }
        std::string edit;
        for (std::size_t i = 0; i < fresh.size(); ++i)
            edit += fresh[i] + (first + oldLines < lines.size() || i + 1 < fresh.size() ? "\r\n" : "");
        lines.erase(lines.begin() + first, lines.begin() + first + oldLines);
        lines.insert(lines.begin() + first, fresh.begin(), fresh.end());
        if (lines.empty())
            lines.push_back("");
        const bool emptied = fresh.empty() && lines.size() == 1 && oldLines > 0 && first == 0;
        live.Edit(file->first, first, oldLines, edit, static_cast<std::uint32_t>(fresh.size()) + (emptied ? 1 : 0));
        // as a host does: an Include of a file no one has gives "missing"
        for (const std::string& key : live.NeededFiles())
            live.SetMissing(key);
        // Now and then the host checks a slice at a time, and the next edit
        // comes before the check is done.
        if (random() % 3 == 0) {
            for (auto slices = random() % 6; slices-- > 0;)
                live.Check(std::chrono::microseconds(0));
            continue;
        }

        lang::Program scratch;
        Feed(scratch, texts());
        // Errors then warnings, every symbol, the names completion offers.
        const auto state = [](lang::Program& p) {
            std::vector<std::string> lines = Brief(p.Diagnostics());
            for (auto more : {Brief(p.Diagnostics(), true), SymbolLines(p), VisibleLines(p, 0)})
                lines.insert(lines.end(), more.begin(), more.end());
            return lines;
        };
        ASSERT_TRUE(Same(state(live), state(scratch))) << "step " << step;
    }
}

TEST(IncrementalTest, EditsGiveWhatAFreshModelGives)
{
    for (unsigned seed : {2024u, 7u, 31337u, 25u, 38u}) {
        SCOPED_TRACE(seed);
        EditAtRandom(seed);
    }
}

// A check done a slice at a time, in as many slices as it takes, finds what
// one check finds; a question asked between two slices gets the answer of
// the whole check.
TEST(IncrementalTest, ACheckInSlicesFindsWhatOneCheckFinds)
{
    // Data statements enough for several slices, the first not constant.
    std::string main = "Data main\r\n";
    for (int i = 0; i < 1000; ++i)
        main += "Data " + std::to_string(i) + "\r\n";
    main += gen::BlitzProgram(3000, "m", {"a.bb"}) + "\r\nx$ = \"s\" - 1\r\nGoto nowhere\r\n";
    const std::string included = gen::BlitzProgram(1500, "a") + "\r\nFunction late()\r\n\tExit\r\nEnd Function\r\n";
    lang::Program whole, sliced;
    Feed(whole, {{"/r/main.bb", main}, {"/r/a.bb", included}});
    Feed(sliced, {{"/r/main.bb", main}, {"/r/a.bb", included}});
    const std::vector<std::string> expected = Brief(whole.Diagnostics());
    // The four planted ones only: the generated program itself checks clean.
    ASSERT_EQ(expected.size(), 4u);

    int slices = 1;
    while (!sliced.Check(std::chrono::microseconds(0)))
        ++slices;
    EXPECT_GT(slices, 20);
    EXPECT_EQ(Brief(sliced.Diagnostics()), expected);
    EXPECT_EQ(SymbolLines(sliced), SymbolLines(whole));

    // Typing in front of a Global changes a declaration: the whole program
    // is checked again, and a question halfway through gets the whole answer.
    const std::string typed = "Global extra = 1\r\n";
    sliced.Edit("/r/main.bb", 0, 0, typed, 1);
    whole.Edit("/r/main.bb", 0, 0, typed, 1);
    EXPECT_FALSE(sliced.Check(std::chrono::microseconds(0)));
    // A call tip asked meanwhile does not wait for the check.
    const auto tip = [](const std::optional<lang::SymbolInfo>& f) {
        std::string text = f ? f->name + f->typeText + " " + f->place.file + ":" + std::to_string(f->place.row) : "";
        for (const std::string& p : f ? f->params : std::vector<std::string>{})
            text += " " + p;
        return text;
    };
    for (const char* name : {"mDrawHud0", "AUPDATEENEMY3", "late", "nothing"})
        EXPECT_EQ(tip(sliced.FunctionNamed(name)), tip(whole.FunctionNamed(name))) << name;
    EXPECT_FALSE(sliced.Check(std::chrono::microseconds(0)));
    EXPECT_EQ(SymbolLines(sliced), SymbolLines(whole));
    EXPECT_TRUE(sliced.Check(std::chrono::microseconds(0)));
    EXPECT_EQ(Brief(sliced.Diagnostics()), Brief(whole.Diagnostics()));
}

// Lines added or removed move what the checks found about the lines after
// them; what later checks compare with those moved places must agree with a
// fresh check. Each edit is (first row, old count, new lines, new count,
// whether the diagnostics are asked for after it).
TEST(IncrementalTest, MovedLinesCheckAsFreshOnes)
{
    struct Edit {
        std::uint32_t first, oldCount;
        std::string lines;
        std::uint32_t newCount;
        bool ask;
    };
    const struct {
        std::string before;
        std::vector<Edit> edits;
        std::string after;
    } cases[] = {
        // a use before the Dim moves down past where the Dim was
        {"x = 1\r\na(1) = 2\r\nDim a(3)\r\n",
         {{0, 1, "x = 1\r\n\r\n\r\n", 3, true}, {3, 1, "a(1) = 3\r\n", 1, true}},
         "x = 1\r\n\r\n\r\na(1) = 3\r\nDim a(3)\r\n"},
        // an edited line not yet checked moves down
        {"; c\r\nx = 1\r\nx = 2\r\nx = 3\r\n",
         {{3, 1, "x = \"s\" - 1\r\n", 1, false}, {0, 1, "; c\r\n\r\n", 2, true}},
         "; c\r\n\r\nx = 1\r\nx = 2\r\nx = \"s\" - 1\r\n"},
        // a label, its Goto and a function move up
        {"\r\n\r\nGoto there\r\nFunction f(a$)\r\n\tb = a - 1\r\nEnd Function\r\n.there\r\nGoto nowhere\r\n",
         {{0, 2, "", 0, true}, {2, 1, "\tb = a + 1\r\n", 1, true}},
         "Goto there\r\nFunction f(a$)\r\n\tb = a + 1\r\nEnd Function\r\n.there\r\nGoto nowhere\r\n"},
        // a Goto to no label moves down, then another line is checked again
        {"x = 1\r\nGoto nowhere\r\n", {{0, 1, "x = 1\r\n\r\n", 2, true}, {0, 1, "x = 2\r\n", 1, true}},
         "x = 2\r\n\r\nGoto nowhere\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        lang::Program live, scratch;
        Feed(live, {{"/r/main.bb", c.before}});
        live.Diagnostics();
        for (const Edit& e : c.edits) {
            live.Edit("/r/main.bb", e.first, e.oldCount, e.lines, e.newCount);
            if (e.ask)
                live.Diagnostics();
        }
        Feed(scratch, {{"/r/main.bb", c.after}});
        EXPECT_EQ(Brief(live.Diagnostics()), Brief(scratch.Diagnostics()));
        EXPECT_EQ(SymbolLines(live), SymbolLines(scratch));
    }
}

// A line typed key by key and taken out again key by key, in the main
// program, a function, a loop and a Type, its names first used there while
// later lines use some of them: after every key the model, warnings and
// their suggestions included, is what a fresh one of the same text is.
TEST(IncrementalTest, TypingALineChecksAsFresh)
{
    const struct {
        std::string above, below, typed;
    } cases[] = {
        {"a = 1\r\n", "b = ext + 1\r\nPrint extra$\r\n", "extra = ex + a"},
        {"a = 1\r\n", "b = ext + 1\r\nPrint extra$\r\n", "ex$ = \"s\" : e = ex"},
        {"a = 1\r\n", "b = ext + 1\r\nPrint extra$\r\n", "Print extra$ : extra = 2 : Goto a"},
        {"Function f(p)\r\n", "\tReturn q\r\nEnd Function\r\nx = f(1)\r\n", "\tq = p : Exit : Dim a(2)"},
        {"While k\r\n", "Wend\r\n.a\r\n", "If k Then Exit : y = 2 : Gosub a"},
        {"Type T\r\n", "Field a\r\nEnd Type\r\n", "x = 1 : Field b"},
        {"Select k\r\n; which\r\n", "Case 1\r\nEnd Select\r\n", "x = 1 : y"},
        {"While k\r\n", "Print 1\r\n", "Print 2 : z = k"},
        {"Function g()\r\n\tGlobal gl = 1\r\nEnd Function\r\n", "Print 1\r\n", "q = gl + 1"},
        {"Function h()\r\n", "Print 1\r\n", "End Function : x = 1 : x$ = 2"},
        // a function checked before another that declares a Global (an error)
        {"Function f()\r\n", "End Function\r\nFunction g()\r\n\tGlobal gl = 1\r\nEnd Function\r\n", "\tx = gl"},
        // a name one typo from a misspelt one comes and goes
        {"Function f()\r\n\tPrint scroe\r\n", "End Function\r\n", "\tLocal score"},
        // a variable stops being given a value
        {"Print q\r\n", "Print 1\r\n", "q = 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        lang::Program live;
        Feed(live, {{"/r/main.bb", c.above + "\r\n" + c.below}});
        live.Diagnostics();
        const auto row = static_cast<std::uint32_t>(std::count(c.above.begin(), c.above.end(), '\n'));
        std::vector<std::string> keys;
        for (std::size_t n = 1; n <= c.typed.size(); ++n)
            keys.push_back(c.typed.substr(0, n));
        for (std::size_t n = c.typed.size(); n-- > 0;)
            keys.push_back(c.typed.substr(0, n));
        for (const std::string& line : keys) {
            live.Edit("/r/main.bb", row, 1, line + "\r\n", 1);
            lang::Program scratch;
            Feed(scratch, {{"/r/main.bb", c.above + line + "\r\n" + c.below}});
            const auto liveDiagnostics = live.Diagnostics(), scratchDiagnostics = scratch.Diagnostics();
            ASSERT_EQ(Brief(liveDiagnostics), Brief(scratchDiagnostics)) << line;
            ASSERT_EQ(Brief(liveDiagnostics, true), Brief(scratchDiagnostics, true)) << line;
            ASSERT_EQ(VisibleLines(live, row), VisibleLines(scratch, row)) << line;
            ASSERT_EQ(SymbolLines(live), SymbolLines(scratch)) << line;
        }
    }
}

// A pause after edits far apart, or after a block of new problems came or
// went, lists what a fresh check lists: the texts made for the problems that
// stayed serve only those same problems.
TEST(IncrementalTest, ProblemsChangedHereAndThereListAsFresh)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("Print miss" + std::to_string(i % 7) + "(" + std::to_string(i) + ")");
    const auto block = [](int n, const std::string& line) { return std::vector<std::string>(std::size_t(n), line); };
    const struct {
        std::uint32_t first, oldCount;
        std::vector<std::string> now;
    } edits[][2] = {
        {{5, 1, {"Print 1"}}, {250, 1, {"Print other(1)"}}},
        {{100, 0, block(40, "x = \"s\" - 1")}, {0, 1, {"Print miss6(0)"}}},
        {{100, 40, {}}, {200, 60, block(3, "Print miss2(9)")}},
        {{0, 0, block(100, "Print 2")}, {150, 1, {"Goto nowhere"}}},
    };
    lang::Program live;
    Feed(live, {{"/r/main.bb", Join(lines)}});
    live.Diagnostics();
    for (const auto& pause : edits) {
        for (const auto& e : pause) {
            std::string text;
            for (const std::string& line : e.now)
                text += line + "\r\n";
            live.Edit("/r/main.bb", e.first, e.oldCount, text, std::uint32_t(e.now.size()));
            lines.erase(lines.begin() + e.first, lines.begin() + e.first + e.oldCount);
            lines.insert(lines.begin() + e.first, e.now.begin(), e.now.end());
        }
        lang::Program scratch;
        Feed(scratch, {{"/r/main.bb", Join(lines)}});
        ASSERT_EQ(Brief(live.Diagnostics()), Brief(scratch.Diagnostics())) << Join(lines);
    }
}
