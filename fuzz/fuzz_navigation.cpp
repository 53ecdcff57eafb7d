// The fold levels, and the names the window shows of the program model, over
// arbitrary bytes. The input is a main file and up to three included files
// (a.bb, b.bb, c.bb) separated by 0xFF 0xFE pairs. Folds must nest; every
// place the model names must stand inside its file; every list entry and
// call tip must spell the name the model gives, whatever the lines hold.

#include "FuzzParts.h"
#include "model/ProgramNames.h"
#include "assist/SourceWords.h"
#include "editor/Folding.h"
#include "language/Program.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Trap(bool failed)
{
    if (failed)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 20000)
        return 0;
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string_view document = parts.front();

    // A line that heads a fold is followed by deeper ones, if by any.
    const std::vector<LineFold> folds = FoldText(document);
    for (std::size_t i = 0; i < folds.size(); ++i)
        Trap(folds[i].level < 0 || (folds[i].header && i + 1 < folds.size() && folds[i + 1].level <= folds[i].level));

    static const char* const keys[] = {"/f/main.bb", "/f/a.bb", "/f/b.bb", "/f/c.bb"};
    std::map<std::string, std::string_view> texts;
    lang::Program program;
    program.SetMainFile(keys[0]);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        texts[keys[i]] = parts[i];
        program.SetFile(keys[i], parts[i]);
    }
    for (const std::string& key : program.NeededFiles())
        program.SetMissing(key);
    const programnames::LineText line = [&](const std::string& key, std::uint32_t row) {
        const auto text = texts.find(key);
        if (text == texts.end())
            return std::string();
        const words::SourceLines lines(text->second);
        return int(row) < lines.Count() ? std::string(lines.Line(int(row) + 1)) : std::string();
    };

    const std::vector<lang::SymbolInfo> types = program.Types();
    const words::SourceLines lines(document);
    for (int row = 0; row < std::min(lines.Count(), 8); ++row) {
        const std::string_view text = lines.Line(row + 1);
        for (std::uint32_t col = 0; col <= text.size(); col += 3) {
            if (const std::optional<lang::Range> place = program.Definition(keys[0], std::uint32_t(row), col)) {
                const std::string target = line(place->file, place->row);
                Trap(texts.find(place->file) == texts.end() || place->col > place->endCol ||
                     place->endCol > target.size());
            }
            const std::vector<lang::SymbolInfo> fields = program.FieldsAt(keys[0], std::uint32_t(row), text, col);
            const EditorKeywordListPtr list = programnames::ListOf(fields, types, line, {});
            for (const EditorKeywordPtr& e : *list)
                Trap(e->Name.empty());
        }
        for (const lang::SymbolInfo& s : program.VisibleNames(keys[0], std::uint32_t(row))) {
            Trap(!text::EqualsNoCase(programnames::Spelling(s, line), s.name));
            if (s.kind == lang::SymbolKind::Function)
                Trap(programnames::CallableOf(s, line)->Params.size() != s.params.size());
        }
    }
    return 0;
}
