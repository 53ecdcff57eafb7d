#include "language/Includes.h"

#include "language/FileSyntax.h"

namespace lang {

namespace {

std::string Normalise(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t j = path.find_first_of("/\\", i);
        if (j == std::string_view::npos)
            j = path.size();
        const std::string_view part = path.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts) {
        out.push_back('/');
        out.append(p);
    }
    if (out.empty())
        out.push_back('/');
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c | 0x20);
    return out;
}

}  // namespace

std::string FileKey(std::string_view absolutePath) { return Normalise(absolutePath); }

std::string_view FolderOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash == 0 ? 1 : slash);
}

std::optional<std::string> ResolveInclude(std::string_view mainDir, std::string_view includePath)
{
    if (includePath.size() >= 2 && includePath[1] == ':') {
        if ((includePath[0] | 0x20) != 'z')
            return std::nullopt;
        return Normalise(includePath.substr(2));
    }
    if (includePath.empty())
        return std::nullopt;
    if (includePath[0] == '/' || includePath[0] == '\\')
        return Normalise(includePath);
    std::string joined(mainDir);
    joined += '/';
    joined += includePath;
    return Normalise(joined);
}

std::vector<std::string> IncludePaths(std::string_view source)
{
    std::vector<std::string> paths;
    std::vector<LineSpan> spans;
    SplitLines(source, spans);
    NameTable names;
    std::vector<Token> tokens;
    for (const LineSpan& span : spans) {
        const std::string_view line = source.substr(span.start, span.length);
        if (line.find('"') == std::string_view::npos)
            continue;
        tokens.clear();
        LexLine(line, span.eolCol, names, tokens);
        for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
            if (tokens[i].kind == kInclude && tokens[i + 1].kind == kStringConst && tokens[i + 1].len >= 2) {
                std::string_view name = line.substr(tokens[i + 1].col + 1, tokens[i + 1].len - 1);
                if (!name.empty() && name.back() == '"')
                    name.remove_suffix(1);
                paths.emplace_back(name);
            }
        }
    }
    return paths;
}

}  // namespace lang
