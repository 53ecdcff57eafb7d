// A .decls file and a command list of any content, read whole as start-up
// reads them: refused with the file's name and a line of it, or read into
// functions that do not depend on the kind of line ends or a byte-order
// mark; and `ovrel --check` knows the same functions as the editor does.
#include "FuzzCheck.h"
#include "editor/Vocabulary.h"
#include "platform/Text.h"
#include "startup/CheckCommand.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string Describe(const std::string& name, const std::vector<std::pair<std::string, bool>>& params)
{
    std::string out = name + '(';
    for (const auto& [param, optional] : params)
        out += (optional ? "[" : "") + param + (optional ? "]," : ",");
    return out + ')';
}

// The functions read, each described, in name order; or the refusal.
std::vector<std::string> Read(bool decls, std::string_view bytes, std::string* refusal)
{
    static const auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, 0});
    EditorKeywordList list;
    try {
        if (decls)
            AddDecls(bytes, QStringLiteral("/b3d/userlibs/fuzz.decls"), style, list);
        else
            AddCommands(bytes, QStringLiteral("/b3d/commands.txt"), style, list);
    } catch (const std::runtime_error& e) {
        *refusal = e.what();
        return {};
    }
    std::vector<std::string> read;
    for (const EditorKeywordPtr& e : list) {
        FUZZ_CHECK(e->Key == text::ToLower(e->Name) && list.Find(e->Key) != nullptr);
        FUZZ_CHECK(e->Name.find_first_of("\r\n") == std::string::npos);
        std::vector<std::pair<std::string, bool>> params;
        for (const EditorKeywordParam& p : e->Params)
            params.emplace_back(p.Name, p.Optional);
        read.push_back(Describe(e->Name, params));
    }
    std::sort(read.begin(), read.end());
    return read;
}

// Every line end made LF.
std::string WithLfLineEnds(std::string_view bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out += bytes[i] == '\r' ? '\n' : bytes[i];
    }
    return out;
}

std::size_t LineCount(std::string_view bytes)
{
    std::size_t n = 0;
    text::ForEachLine(bytes, [&](std::string_view, int) { ++n; });
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const bool decls : {true, false}) {
        std::string refusal;
        const std::vector<std::string> read = Read(decls, bytes, &refusal);
        if (!refusal.empty()) {
            // "fuzz.decls line 3: ..."
            const std::string prefix = decls ? "fuzz.decls line " : "commands.txt line ";
            FUZZ_CHECK(refusal.starts_with(prefix));
            const std::size_t line = std::stoul(refusal.substr(prefix.size()));
            FUZZ_CHECK(line >= 1 && line <= LineCount(text::SkipBom(bytes)));
        }
        std::string again;
        FUZZ_CHECK(Read(decls, WithLfLineEnds(bytes), &again) == read && again.empty() == refusal.empty());
        if (!bytes.starts_with("\xEF\xBB\xBF")) {
            FUZZ_CHECK(Read(decls, "\xEF\xBB\xBF" + std::string(bytes), &again) == read
                  && again.empty() == refusal.empty());
        }
        if (!refusal.empty())
            continue;

        // What the check command reads skips the lines start-up refuses, so
        // it is compared only where start-up reads every line.
        const lang::Vocabulary v = decls ? check::ReadVocabulary({}, {std::string(bytes)}, {})
                                         : check::ReadVocabulary(bytes, {}, {});
        std::vector<std::string> checked;
        for (const lang::Callable& c : decls ? v.userlibs : v.commands) {
            std::vector<std::pair<std::string, bool>> params;
            for (const auto& p : c.params)
                params.emplace_back(p.name, p.optional);
            checked.push_back(Describe(c.name, params));
        }
        std::sort(checked.begin(), checked.end());
        // A line of the command list holding only spaces and tabs is a
        // command named with nothing but those to the editor (which trims
        // spaces alone), and nothing to the check; no call can name either.
        const auto blank = [&](const std::string& d) {
            return !decls && d.find_first_not_of(" \t") == d.find('(');
        };
        std::vector<std::string> named = read;
        std::erase_if(named, blank);
        std::erase_if(checked, blank);
        FUZZ_CHECK(checked == named);
    }
    return 0;
}
