// The rescan of edited lines against a full scan of the same text, after
// each of thousands of random edits, and the included files it keeps.
#include "AnalysisTestSupport.h"

#include "analysis/DocScanner.h"
#include "editor/Tokenizer.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

// The lines of a text with their line ends.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            const std::size_t end = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
            lines.push_back(text.substr(start, end - start));
            start = end;
            i = end - 1;
        }
    }
    lines.push_back(text.substr(start));
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
    auto files = std::make_shared<TableFiles>();
    const QStringList includeFiles = {"/src/inc1.bb", "/src/lib/inc2.bb", "/src/inc3.bb"};
    Source source(20261206);
    for (const QString& f : includeFiles)
        files->Write(f, source.Block(6));
    const DeclStyles styles = TestStyles();
    DocScanner scanner(std::make_shared<IncludeCache>(files));
    std::string text = source.Block(60);
    scanner.Rebuild(text, "/src/", styles);
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
            const QString& f = includeFiles[source.Pick(int(includeFiles.size()))];
            onDisk = true;
            if (source.Pick(5) == 0)
                files->Remove(f);
            else
                files->Write(f, source.Block(source.Pick(8)));
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
        ScanChanges changes = scanner.Update(int(head), int(was.size() - head - tail), edited,
                                             int(now.size() - head - tail));
        // As the window's watcher tells of a file changed on disk.
        if (onDisk) {
            const ScanChanges reread = scanner.Revalidate();
            changes.removed.insert(changes.removed.end(), reread.removed.begin(), reread.removed.end());
            changes.added.insert(changes.added.end(), reread.added.begin(), reread.added.end());
        }

        DocScanner full(std::make_shared<IncludeCache>(files));
        full.Rebuild(text, "/src/", styles);
        ASSERT_EQ(Describe(*scanner.DocKeywords(), true), Describe(*full.DocKeywords(), true)) << "step " << step;
        ASSERT_EQ(scanner.Includes(), full.Includes()) << "step " << step;
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

TEST(IncrementalScan, IncludedFilesAreReadAgainOnlyWhenTheyChange)
{
    auto files = std::make_shared<TableFiles>();
    files->Write("/src/lib/a.bb", "Global fromA");
    const DeclStyles styles = TestStyles();
    DocScanner scanner(std::make_shared<IncludeCache>(files));
    scanner.Rebuild("Include \"lib\\a.bb\"\nInclude \"LIB\\A.BB\"\nGlobal mine", "/src/", styles);
    EXPECT_EQ(Names(*scanner.DocKeywords()), "fromA fromA mine");
    EXPECT_EQ(files->reads, 1);

    // Typing reads nothing, not even a file that changed: told of the
    // change, the scan reads it again once; a save by the program (which
    // may keep the stamp) too.
    const auto type = [&](const char* line) { return scanner.Update(2, 1, line, 1); };
    EXPECT_EQ(type("Global mine2").removed.size(), 1u);
    files->Write("/src/lib/a.bb", "Global fromA2");
    EXPECT_EQ(type("Global mine3").removed.size(), 1u);
    EXPECT_EQ(files->reads, 1);
    EXPECT_EQ(scanner.Revalidate().removed.size(), 2u);
    EXPECT_EQ(Names(*scanner.DocKeywords()), "fromA2 fromA2 mine3");
    EXPECT_EQ(files->reads, 2);
    scanner.Revalidate();
    EXPECT_EQ(files->reads, 2);
    IncludeCache cache(files);
    cache.NewScan();
    const IncludedFilePtr first = cache.Entries("/src/lib/a.bb", styles);
    cache.Forget("/src/lib/a.bb");
    cache.NewScan();
    EXPECT_NE(cache.Entries("/src/lib/a.bb", styles), first);
    EXPECT_EQ(files->reads, 4);
}

TEST(IncrementalScan, MissingIncludesListTheirFolderOncePerScanAndNotAgainWhileItIsUnchanged)
{
    auto files = std::make_shared<TableFiles>();
    for (int i = 0; i < 3000; ++i)
        files->Write("/src/asset" + QString::number(i) + ".bb", "");
    files->Write("/src/Found.bb", "Global found");
    std::string text = "Include \"found.BB\"\n";
    for (int i = 0; i < 2000; ++i)
        text += "Include \"missing" + std::to_string(i) + ".bb\"\n";
    DocScanner scanner(std::make_shared<IncludeCache>(files));
    scanner.Rebuild(text, "/src/", TestStyles());
    EXPECT_EQ(Names(*scanner.DocKeywords()), "found");
    EXPECT_EQ(files->listings, 1);
    scanner.Update(2001, 1, "Global typed", 1);
    EXPECT_EQ(files->listings, 1);
    // A file that appears changes the folder.
    files->Write("/src/missing7.bb", "Global late");
    scanner.Revalidate();
    EXPECT_EQ(files->listings, 2);
    EXPECT_EQ(Names(*scanner.DocKeywords()), "found late typed");
}

}  // namespace
