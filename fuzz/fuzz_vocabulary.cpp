// The command-list and .decls line parsers and the parameter parser take any
// bytes: they either give parts within the line or throw runtime_error.
#include "editor/Tokenizer.h"
#include "editor/Vocabulary.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace {

bool Within(std::string_view part, std::string_view whole)
{
    return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    try {
        const CommandLineParts parts = ParseCommandLine(line);
        Check(Within(parts.name, line));
        if (parts.params) {
            Check(Within(*parts.params, line));
            ParseParams(*parts.params);
        }
    } catch (const std::runtime_error&) {
    }
    try {
        if (const auto parts = ParseDeclLine(line)) {
            Check(Within(parts->name, line) && Within(parts->returnType, line));
            if (parts->params) {
                Check(Within(*parts->params, line));
                ParseParams(*parts->params);
            }
        }
    } catch (const std::runtime_error&) {
    }
    try {
        for (const EditorKeywordParam& p : ParseParams(line))
            Check(p.Name.size() <= line.size());
    } catch (const std::runtime_error&) {
    }
    // The colouring reads the same kind of text.
    NameTable names;
    names.Add(BareName(line), kKindGlobal);
    std::vector<Token> tokens;
    Tokenize(line, LexRules(), names, names, tokens);
    int end = 0;
    for (const Token& t : tokens) {
        Check(t.start >= end && t.length > 0 && t.start + t.length <= static_cast<int>(size));
        end = t.start + t.length;
    }
    return 0;
}
