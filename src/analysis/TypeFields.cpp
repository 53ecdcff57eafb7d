#include "analysis/TypeFields.h"

#include "analysis/LineParts.h"

using namespace lineparts;

namespace {

// Hands each item of the Field statements after the Type statement on
// `typeLine` to `each` (the item, its column, its line), up to the type's
// End Type or the next Type or Function.
template <class F>
void ForEachFieldItem(const words::SourceLines& source, int typeLine, char commentChar, char stringChar, F&& each)
{
    bool ended = false;
    for (int l = typeLine + 1; l <= source.Count() && !ended; ++l) {
        ForEachStatement(source.Line(l), commentChar, stringChar, [&](std::string_view st, std::size_t at) {
            std::size_t i = 0;
            const std::string_view word = NextWord(st, i);
            if ((WordIs(word, "end") && WordIs(NextWord(st, i), "type")) || WordIs(word, "endtype") ||
                WordIs(word, "type") || WordIs(word, "function")) {
                ended = true;
                return false;
            }
            if (!WordIs(word, "field"))
                return true;
            ForEachItem(st.substr(i), at + i, stringChar,
                        [&](std::string_view item, std::size_t itemAt) { each(item, itemAt, l); });
            return true;
        });
    }
}

}  // namespace

std::vector<TypeField> FieldsOfType(const words::SourceLines& source, int typeLine, char commentChar, char stringChar)
{
    std::vector<TypeField> fields;
    ForEachFieldItem(source, typeLine, commentChar, stringChar, [&](std::string_view item, std::size_t at, int line) {
        std::size_t j = 0;
        const std::string_view name = NextWord(item, j);
        if (!name.empty())
            fields.push_back({std::string(text::TrimSpace(item)), std::string(name), line, int(at + j - name.size()),
                              TypeAfter(item, j)});
    });
    return fields;
}

int LastFieldLine(const words::SourceLines& source, int typeLine)
{
    int last = 0;
    ForEachFieldItem(source, typeLine, ';', '"', [&](std::string_view item, std::size_t, int line) {
        std::size_t j = 0;
        if (!NextWord(item, j).empty())
            last = line;
    });
    return last;
}
