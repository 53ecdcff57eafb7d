// The program model over arbitrary bytes: a main file and up to three
// included files (separated by 0xFF 0xFE pairs, included as a.bb, b.bb and
// c.bb), built, checked and asked every question; then a stretch of the main
// file is replaced, a character typed there and taken out again, and the
// model told only of those edits: after each its diagnostics must be those
// of a model built from scratch of the same texts.

#include "FuzzCheck.h"
#include "FuzzParts.h"
#include "language/Program.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

const lang::Vocabulary& Vocabulary()
{
    static const lang::Vocabulary v{{{"Print", {{"s$", true}}}, {"Text", {{"x", false}, {"y", false}, {"s$", false}}}},
                                    {{"UserCall", {{"a", false}}}},
                                    {{"Shipped", "x.decls"}}};
    return v;
}

void Load(lang::Program& p, const std::vector<std::string>& texts)
{
    static const char* const keys[] = {"/f/main.bb", "/f/a.bb", "/f/b.bb", "/f/c.bb"};
    p.SetVocabulary(Vocabulary());
    p.SetMainFile(keys[0]);
    for (std::size_t i = 0; i < texts.size(); ++i)
        p.SetFile(keys[i], texts[i]);
    for (const std::string& key : p.NeededFiles())
        p.SetMissing(key);
}

std::size_t CountLines(std::string_view text)
{
    std::size_t n = 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++n;
    return n;
}

// The offset where line `row` starts.
std::size_t LineStart(std::string_view text, std::size_t row)
{
    std::size_t i = 0;
    for (; row > 0 && i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            --row;
    return i;
}

// Tells the model that lines [first, first + old) of the main file became
// `inserted` and checks its diagnostics against a model built from scratch
// of the same texts; false when the edit is not one an editor reports.
bool EditAndCompare(lang::Program& live, std::vector<std::string>& texts, std::size_t first, std::size_t old,
                    std::string inserted)
{
    std::string& main = texts[0];
    const std::size_t lines = CountLines(main);
    if (first + old > lines)
        return false;
    const bool toEnd = first + old == lines;
    if (!toEnd && !inserted.empty() && inserted.back() != '\n')
        inserted += '\n';
    std::size_t count = 0;
    for (char c : inserted)
        count += c == '\n';
    if (toEnd)
        ++count;
    const std::size_t from = LineStart(main, first), to = toEnd ? main.size() : LineStart(main, first + old);
    main = main.substr(0, from) + inserted + main.substr(to);
    // A bare CR before the edit and an LF after it join into one line end:
    // no editor reports such an edit, so there is nothing to compare.
    if (CountLines(main) != lines - old + count)
        return false;
    live.Edit("/f/main.bb", static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(old), inserted,
              static_cast<std::uint32_t>(count));
    for (const std::string& key : live.NeededFiles())
        live.SetMissing(key);

    lang::Program scratch;
    Load(scratch, texts);
    const auto a = live.Diagnostics(), b = scratch.Diagnostics();
    FUZZ_CHECK(a.size() == b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        FUZZ_CHECK(a[i].message == b[i].message && a[i].row == b[i].row && a[i].col == b[i].col &&
                   a[i].file == b[i].file);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 20000)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> texts;
    for (std::string_view part : fuzz::SplitParts(input))
        texts.emplace_back(part);

    lang::Program live;
    Load(live, texts);
    const auto diagnostics = live.Diagnostics();
    for (const lang::Diagnostic& d : diagnostics) {
        live.Definition(d.file, d.row, d.col);
        live.References(d.file, d.row, d.col);
        live.Rename(d.file, d.row, d.col, "renamed");
    }
    live.Symbols();
    live.MatchSymbols(texts[0].substr(0, 3), 5);
    live.FieldsAt("/f/main.bb", 0, texts[0], static_cast<std::uint32_t>(texts[0].size() / 2));
    live.VisibleNames("/f/main.bb", 1);

    // Replace lines [first, first + old) of the main file by the text of the
    // last part (its line ends made LF), as an editor reports it; then type
    // a character at the end of the first line replaced and take it out
    // again, the diagnostics asked for after each edit.
    const std::size_t lines = CountLines(texts[0]);
    const std::size_t first = size % lines;
    const std::size_t old = (size / 7) % (lines - first + 1);
    std::string inserted = texts.size() > 1 ? texts.back().substr(0, 200) : std::string("x = 1");
    for (char& c : inserted)
        if (c == '\r')
            c = '\n';
    if (!EditAndCompare(live, texts, first, old, inserted))
        return 0;
    const std::size_t at = LineStart(texts[0], first);
    std::size_t end = at;
    while (end < texts[0].size() && texts[0][end] != '\n' && texts[0][end] != '\r')
        ++end;
    const std::string line = texts[0].substr(at, end - at);
    const char typed = "x$ (:.1"[size % 7];
    if (!EditAndCompare(live, texts, first, 1, line + typed))
        return 0;
    EditAndCompare(live, texts, first, 1, line);
    return 0;
}
