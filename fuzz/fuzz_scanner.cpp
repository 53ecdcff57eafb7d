// The declaration list, the word routines and the field list over arbitrary
// bytes. The input is a document and up to three include files separated by
// a 0xFF 0xFE pair; include paths are mapped onto those files by their
// length, so any Include line may reach any of them. A stretch of the
// document is then cut out and only the lines it touched are read again: the
// result must be the full reading's.

#include "assist/CallTip.h"
#include "assist/Completion.h"
#include "FuzzParts.h"
#include "language/Lexer.h"
#include "model/DocDeclarations.h"
#include "assist/Words.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

DeclStyles Styles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

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

std::string Describe(const EditorKeywordList& list)
{
    std::string out;
    for (const EditorKeywordPtr& e : list)
        out += e->Name + '\x01' + e->Key + '\x01' + e->ReturnType + '\x01' + std::to_string(e->Line) + '\x01' +
               std::to_string(e->Kind()) + '\x02';
    return out;
}

void CheckRescan(std::string_view before, const IncludeReader& read, std::size_t size, const DeclStyles& styles)
{
    const std::size_t from = size % (before.size() + 1);
    const std::size_t count = (size / 7) % (before.size() - from + 1);
    std::string after(before);
    after.erase(from, count);
    const std::vector<std::string_view> was = Lines(before);
    const std::vector<std::string_view> now = Lines(after);
    std::size_t head = 0;
    while (head < was.size() && head < now.size() && was[head] == now[head])
        ++head;
    std::size_t tail = 0;
    while (tail < was.size() - head && tail < now.size() - head &&
           was[was.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    std::string edited;
    for (std::size_t i = head; i < now.size() - tail; ++i)
        edited += now[i];

    const std::string key = "/fuzz/\x01document.bb";  // as ScanDocument names it
    lang::Program program;
    program.SetMainFile(key);
    program.SetFile(key, before);
    std::map<std::string, std::string> texts;
    for (std::vector<std::string> needed = program.NeededFiles(); !needed.empty(); needed = program.NeededFiles())
        for (const std::string& file : needed)
            if (std::optional<std::string> text = read(file))
                program.SetFile(file, texts[file] = *text);
            else
                program.SetMissing(file);
    const DeclSource source{program, key,
                            [&](const std::string& file, std::uint32_t row) {
                                const std::vector<std::string_view> lines = Lines(texts[file]);
                                std::string_view line = row < lines.size() ? lines[row] : std::string_view();
                                while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                                    line.remove_suffix(1);
                                return std::string(line);
                            },
                            {}};
    DocDeclarations rescanned;
    rescanned.Rebuild(source, before, styles);
    const auto oldCount = std::uint32_t(was.size() - head - tail), newCount = std::uint32_t(now.size() - head - tail);
    program.Edit(key, std::uint32_t(head), oldCount, edited, newCount);
    rescanned.Update(source, int(head), int(oldCount), edited, int(newCount));
    ScanOptions options;
    options.readInclude = read;
    const ScanResult full = ScanDocument(after, QStringLiteral("/fuzz/"), styles, options);
    if (Describe(*rescanned.DocKeywords()) != Describe(*full.DocKeywords) || rescanned.Includes() != full.Includes)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const DeclStyles styles = Styles();
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string_view document = parts.back();

    ScanOptions options;
    options.readInclude = [&](const std::string& key) -> std::optional<std::string> {
        const std::size_t which = key.size() % (parts.size() + 1);
        if (which >= parts.size() - 1)
            return std::nullopt;
        return std::string(parts[which]);
    };
    const ScanResult r = ScanDocument(document, QStringLiteral("/fuzz/"), styles, options);
    for (const EditorKeywordPtr& e : *r.DocKeywords)
        if (!e->Style)
            __builtin_trap();
    CheckRescan(document, options.readInclude, size, styles);

    // Every word routine at every caret position of the first line.
    const std::string_view line = document.substr(0, std::min<std::size_t>(document.find('\n'), 256));
    for (int column = -1; column <= int(line.size()) + 1; ++column) {
        GetWordBeforeCaret(line, column, false, column % 2 == 0);
        GetDelimiterBeforeCaret(line, column, false);
        WordBeforeBackslash(line, column, false);
        IsCaretInString(line, column);
        IsCaretInComment(line, column);
        IsNumericWord(line.substr(0, std::size_t(std::max(column, 0))));
    }

    // Call tips with every name of the line taken for a command; the token
    // columns are bytes, as the editor reports them.
    static const EditorKeywordListPtr vocabulary = [] {
        auto v = std::make_shared<EditorKeywordList>();
        EditorKeyword e;
        e.Name = "a";
        e.Key = "a";
        e.Params = {{"x", false}, {"y", true}};
        v->Add(e);
        return v;
    }();
    std::vector<TipToken> tokens;
    for (std::size_t i = 0; i < line.size();) {
        std::size_t end = i;
        while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end])))
            ++end;
        if (end > i)
            tokens.push_back({kKindCommand, int(i), line.substr(i, end - i)});
        i = std::max(end, i + 1);
    }
    for (int column = 0; column <= int(line.size()); column += 7) {
        if (const auto tip = FindCallTip(line, column, int(size % 5), tokens, *vocabulary))
            MakeCallTipText(*tip->entry, tip->argumentIndex);
    }

    // The completion list over what was declared.
    CompletionList list;
    list.setTokens(*r.DocKeywords, false);
    list.isSingleToken(line.substr(0, 3));
    list.KeyDown(ListKey::PageDown);
    list.ClickRow(int(size % 11));
    list.Scroll(int(size % 7) - 2);
    list.VisibleRows();
    return 0;
}
