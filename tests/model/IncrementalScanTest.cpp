// The rescan of edited lines against a full scan of the same text, after
// each of thousands of random edits.
#include "support/Declarations.h"

#include "editor/Tokenizer.h"
#include "language/Lexer.h"
#include "model/DocDeclarations.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

// The lines of a text with their line ends, cut as the language cuts them.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<lang::LineSpan> spans;
    lang::SplitLines(text, spans);
    std::vector<std::string_view> lines;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const std::size_t end = i + 1 < spans.size() ? spans[i + 1].start : text.size();
        lines.push_back(text.substr(spans[i].start, end - spans[i].start));
    }
    return lines;
}

class Source {
public:
    explicit Source(unsigned seed) : m_random(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    std::string Line()
    {
        static const char* const kTemplates[] = {
            "Global {n}, {n} = 1", "Local {n}", "Const {n} = 3, {n} = 4", "Dim {n}(10), {n}.T(2)", "Type {n}",
            "Function {n}(a, b)", "End Function", ".{n} x", "{n} = 2 : Global {n}", "Print \"a;b:c\" ; Global z",
            "Include \"{i}\"", "\tIf x Then Local {n}", "", "; Global not", "Global {n} : Include \"{i}\" : Dim {n}(1)",
        };
        static const char* const kNames[] = {"a", "A", "a1", "a10", "speed", "Speed", "score", "x", "Enemy",
                                             "enemy", "i", "n$", "Area#", "p.Player", "grid", "T", "t"};
        static const char* const kIncludes[] = {"inc1.bb", "INC1.bb", "lib\\inc2.bb", "missing.bb", "/src/inc3.bb",
                                                "C:\\x.bb"};
        std::string out;
        for (const char* c = kTemplates[Pick(int(std::size(kTemplates)))]; *c; ++c) {
            if (c[0] == '{' && c[2] == '}') {
                out += c[1] == 'n' ? kNames[Pick(int(std::size(kNames)))] : kIncludes[Pick(int(std::size(kIncludes)))];
                c += 2;
            } else {
                out += *c;
            }
        }
        return out;
    }
    std::string LineEnd()
    {
        const int r = Pick(10);
        return r < 7 ? "\r\n" : r < 9 ? "\n" : "\r";
    }
    std::string Block(int lines)
    {
        std::string out;
        for (int i = 0; i < lines; ++i)
            out += Line() + LineEnd();
        return out;
    }
    std::string Typed()
    {
        static const char kKeys[] = "aAxsS1 \t:;,\"().$#%=\n\r";
        std::string out;
        for (int i = 1 + Pick(3); i > 0; --i)
            out += kKeys[Pick(int(sizeof kKeys - 1))];
        return out;
    }

private:
    std::mt19937 m_random;
};

TEST(IncrementalScan, EveryEditGivesWhatAFullScanGives)
{
    const std::vector<std::string> includeFiles = {"/src/inc1.bb", "/src/lib/inc2.bb", "/src/inc3.bb"};
    Source source(20261206);
    // The files as the model has them, and how often each changed.
    std::map<std::string, std::string> files;
    std::map<std::string, std::uint64_t> revisions;
    for (const std::string& f : includeFiles)
        files[f] = source.Block(6);
    const std::string key = "/src/\x01document.bb";  // as ScanDocument names it
    lang::Program program;
    program.SetMainFile(key);
    const auto feed = [&] {
        for (std::vector<std::string> needed = program.NeededFiles(); !needed.empty(); needed = program.NeededFiles())
            for (const std::string& f : needed)
                files.count(f) ? program.SetFile(f, files[f]) : program.SetMissing(f);
    };
    const auto lineOf = [&](const std::string& f, std::uint32_t row) {
        std::vector<lang::LineSpan> spans;
        lang::SplitLines(files[f], spans);
        return row < spans.size() ? files[f].substr(spans[row].start, spans[row].length) : std::string();
    };
    const DeclSource from{program, key, lineOf, [&](const std::string& f) { return revisions[f]; }};
    ScanOptions options;
    options.readInclude = [&](const std::string& f) {
        return files.count(f) ? std::optional<std::string>(files[f]) : std::nullopt;
    };
    const DeclStyles styles = TestStyles();
    DocDeclarations scanner;
    std::string text = source.Block(60);
    program.SetFile(key, text);
    feed();
    scanner.Rebuild(from, text, styles);
    // The colouring's table, changed name by name as the editor does.
    NameTable names(*scanner.DocKeywords());

    for (int step = 0; step < 4000; ++step) {
        const std::string before = text;
        const std::size_t at = std::size_t(source.Pick(int(text.size()) + 1));
        // Sizes stay near those of a small program: long enough for edits to
        // move many entries, short enough for thousands of full scans.
        const int op = source.Pick(8);
        bool onDisk = false;
        switch (text.size() > 4000 && op == 4 ? 5 : text.size() < 1500 && op == 5 ? 4 : op) {
        case 0:
        case 1:
        case 2: text.insert(at, source.Typed()); break;
        case 3: text.erase(at, std::size_t(1 + source.Pick(12))); break;
        case 4: text.insert(at, source.Block(1 + source.Pick(8))); break;
        case 5: text.erase(at, std::size_t(source.Pick(300))); break;
        case 6: text.insert(at, "Include \"" + std::string(source.Pick(2) ? "inc1.bb" : "lib/INC2.BB") + "\"\r\n"); break;
        default: {
            const std::string& f = includeFiles[source.Pick(int(includeFiles.size()))];
            onDisk = true;
            ++revisions[f];
            if (source.Pick(5) == 0) {
                files.erase(f);
                program.SetMissing(f);
            } else {
                program.SetFile(f, files[f] = source.Block(source.Pick(8)));
            }
        }
        }
        // The lines between the unchanged ones at either end were edited;
        // reporting a few more, as an editor may, changes nothing.
        const std::vector<std::string_view> was = Lines(before);
        const std::vector<std::string_view> now = Lines(text);
        std::size_t head = 0;
        while (head < was.size() && head < now.size() && was[head] == now[head])
            ++head;
        std::size_t tail = 0;
        while (tail < was.size() - head && tail < now.size() - head &&
               was[was.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        head -= std::size_t(source.Pick(int(std::min<std::size_t>(head, 2)) + 1));
        tail -= std::size_t(source.Pick(int(std::min<std::size_t>(tail, 2)) + 1));
        std::string edited;
        for (std::size_t i = head; i < now.size() - tail; ++i)
            edited += now[i];

        std::map<const EditorKeyword*, int> held;
        for (const EditorKeywordPtr& e : *scanner.DocKeywords())
            ++held[e.get()];
        const auto oldCount = std::uint32_t(was.size() - head - tail), newCount = std::uint32_t(now.size() - head - tail);
        program.Edit(key, std::uint32_t(head), oldCount, edited, newCount);
        feed();
        ScanChanges changes = scanner.Update(from, int(head), int(oldCount), edited, int(newCount));
        if (onDisk) {
            const ScanChanges reread = scanner.Revalidate(from);
            changes.removed.insert(changes.removed.end(), reread.removed.begin(), reread.removed.end());
            changes.added.insert(changes.added.end(), reread.added.begin(), reread.added.end());
        }

        const ScanResult full = ScanDocument(text, "/src/", styles, options);
        ASSERT_EQ(Describe(*scanner.DocKeywords(), true), Describe(*full.DocKeywords, true)) << "step " << step;
        ASSERT_EQ(scanner.Includes(), full.Includes) << "step " << step;
        ASSERT_EQ(scanner.LineCount(), int(now.size()));
        // What the rescan says it changed is exactly what changed.
        for (const EditorKeywordPtr& e : changes.removed)
            --held[e.get()];
        for (const EditorKeywordPtr& e : changes.added)
            ++held[e.get()];
        for (const EditorKeywordPtr& e : *scanner.DocKeywords())
            --held[e.get()];
        for (const auto& [entry, count] : held)
            ASSERT_EQ(count, 0) << "step " << step << " " << entry->Name;
        for (const auto* list : {&changes.removed, &changes.added})
            for (const EditorKeywordPtr& e : *list)
                names.Refresh(BareName(e->Name), *scanner.DocKeywords());
        ASSERT_TRUE(names == NameTable(*scanner.DocKeywords())) << "step " << step;
    }
}

}  // namespace
