// Go to definition, find references, field lists and the fold levels over
// arbitrary bytes. The input is a document and up to three include files
// separated by a 0xFF 0xFE pair; include paths are mapped onto those files by
// their length. Whatever a lookup finds must stand inside the text it names,
// every use found must be the name it was asked for, and a field list taken
// from what the scan kept of the included files must be the one their texts
// give.

#include "FuzzParts.h"
#include "analysis/DocScanner.h"
#include "analysis/Navigation.h"
#include "analysis/SourceWords.h"
#include "editor/Folding.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string_view document = parts.back();
    auto files = std::make_shared<fuzz::PartFiles>(parts);
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    DocScanner scanner(std::make_shared<IncludeCache>(files));
    scanner.Rebuild(document, QStringLiteral("/fuzz/"), {style(2), style(3), style(4), style(5), style(6), style(8)});
    const NavigationContext context{scanner, [&](const QString& path) { return files->Read(path); },
                                    [](std::string_view name) { return name.size() == 3; }};
    const NavigationContext kept{scanner, {}, {}};

    // A line that heads a fold is followed by deeper ones, if by any.
    const std::vector<LineFold> folds = FoldText(document);
    for (std::size_t i = 0; i < folds.size(); ++i)
        if (folds[i].level < 0 || (folds[i].header && i + 1 < folds.size() && folds[i + 1].level <= folds[i].level))
            __builtin_trap();

    const words::SourceLines lines(document);
    for (int line = 1; line <= std::min(lines.Count(), 8); ++line) {
        const std::string_view text = lines.Line(line);
        for (int column = 0; column <= int(text.size()); column += 3) {
            if (const std::optional<SourcePlace> place = FindDefinition(document, line, column, context)) {
                std::optional<std::string> source;
                if (place->file.isEmpty())
                    source = std::string(document);
                else
                    source = files->Read(place->file);
                if (!source)
                    __builtin_trap();
                const words::SourceLines target(*source);
                if (place->line < 1 || place->line > target.Count() || place->column < 0 ||
                    place->column > int(target.Line(place->line).size()))
                    __builtin_trap();
            }
            const std::optional<FieldsOfAType> read = FieldsAt(document, line, column, context);
            const std::optional<FieldsOfAType> listed = FieldsAt(document, line, column, kept);
            if (read.has_value() != listed.has_value() ||
                (read && (read->file != listed->file || read->fields != listed->fields)))
                __builtin_trap();
            if (listed) {
                const std::string source = listed->file.isEmpty() ? std::string(document)
                                                                  : files->Read(listed->file).value_or(std::string());
                const words::SourceLines target(source);
                for (const TypeField& f : listed->fields) {
                    const std::string_view fieldLine = target.Line(f.line);
                    if (f.line < 1 || f.line > target.Count() || f.column < 0 ||
                        std::size_t(f.column) > fieldLine.size() ||
                        fieldLine.substr(std::size_t(f.column), f.name.size()) != f.name)
                        __builtin_trap();
                }
            }
            const std::optional<words::NameAtCaret> at = words::NameAt(text, column);
            if (!at || column % 2)
                continue;
            for (const Reference& r : FindReferences(document, at->name, context)) {
                const std::string_view found = std::string_view(r.lineText).substr(std::size_t(r.column), at->name.size());
                if (!text::EqualsNoCase(found, at->name))
                    __builtin_trap();
            }
        }
    }
    return 0;
}
