// The scanner, the word routines and the field list over arbitrary bytes.
// The input is a document and up to three include files separated by a
// 0xFF 0xFE pair; include paths are mapped onto those files by their length,
// so any Include line may reach any of them.

#include "analysis/CallTip.h"
#include "analysis/Completion.h"
#include "analysis/Scanner.h"
#include "analysis/Words.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string_view> SplitParts(std::string_view data)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (parts.size() < 3) {
        const std::size_t sep = data.find("\xFF\xFE", start);
        if (sep == std::string_view::npos)
            break;
        parts.push_back(data.substr(start, sep - start));
        start = sep + 2;
    }
    parts.push_back(data.substr(start));
    return parts;
}

DeclStyles Styles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const DeclStyles styles = Styles();
    const std::vector<std::string_view> parts =
        SplitParts(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string_view document = parts.back();

    ScanOptions options;
    options.readInclude = [&](const QString& path) -> std::optional<std::string> {
        const std::size_t which = std::size_t(path.size()) % (parts.size() + 1);
        if (which >= parts.size() - 1)
            return std::nullopt;
        return std::string(parts[which]);
    };
    int yields = 0;
    options.yield = [&] { ++yields; };
    options.yieldInterval = std::chrono::milliseconds(0);
    const ScanResult r = ScanDocument(document, QStringLiteral("/fuzz/"), styles, options);
    for (const EditorKeywordPtr& e : *r.DocKeywords)
        if (!e->Style)
            __builtin_trap();

    // Every word routine at every caret position of the first line.
    const std::string_view line = document.substr(0, std::min<std::size_t>(document.find('\n'), 256));
    for (int column = -1; column <= int(line.size()) + 1; ++column) {
        GetWordBeforeCaret(line, column, false, column % 2 == 0);
        GetDelimiterBeforeCaret(line, column, false);
        const std::string w = WordBeforeBackslash(line, column, false);
        IsCaretInString(line, column);
        IsCaretInComment(line, column);
        IsNumericWord(line.substr(0, std::size_t(std::max(column, 0))));
        FieldList(*r.DocKeywords, w, 4, [&](int) { return QByteArray(line.data(), qsizetype(line.size())); },
                  styles);
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
