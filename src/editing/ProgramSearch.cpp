#include "editing/ProgramSearch.h"

#include "language/TokenRules.h"

namespace search {

namespace {

bool IsNameChar(char c)
{
    return lang::tokens::IsNameChar(static_cast<unsigned char>(c));
}

}  // namespace

std::vector<RowMatch> FindInText(std::string_view text, std::string_view what, const ProgramOptions& options)
{
    std::vector<RowMatch> out;
    if (what.empty() || what.find_first_of("\r\n") != std::string_view::npos)
        return out;
    const bool wordStart = options.wholeWord && IsNameChar(what.front());
    const bool wordEnd = options.wholeWord && IsNameChar(what.back());
    const auto lineEnd = [&](std::size_t from) {
        const std::size_t end = text.find_first_of("\r\n", from);
        return end == std::string_view::npos ? text.size() : end;
    };
    std::size_t rowStart = 0, rowEnd = lineEnd(0);
    std::uint32_t row = 0;
    for (std::size_t from = 0; from < text.size();) {
        const std::optional<Match> m = FindForward(text, what, from, text.size(), options);
        if (!m)
            break;
        while (m->start > rowEnd) {
            rowStart = rowEnd + (text[rowEnd] == '\r' && rowEnd + 1 < text.size() && text[rowEnd + 1] == '\n' ? 2 : 1);
            rowEnd = lineEnd(rowStart);
            ++row;
        }
        const bool cut = (wordStart && m->start > 0 && IsNameChar(text[m->start - 1])) ||
                         (wordEnd && m->end < text.size() && IsNameChar(text[m->end]));
        if (cut || m->end > rowEnd) {
            from = m->start + 1;
            continue;
        }
        out.push_back({row, std::uint32_t(m->start - rowStart), std::uint32_t(m->end - rowStart),
                       std::string(text.substr(rowStart, rowEnd - rowStart))});
        from = m->end;
    }
    return out;
}

std::vector<FileMatches> FindInFiles(const std::vector<std::string>& keys,
                                     const std::function<std::optional<std::string>(const std::string& key)>& text,
                                     std::string_view what, const ProgramOptions& options)
{
    std::vector<FileMatches> out;
    for (const std::string& key : keys) {
        const std::optional<std::string> t = text(key);
        if (!t)
            continue;
        std::vector<RowMatch> matches = FindInText(*t, what, options);
        if (!matches.empty())
            out.push_back({key, std::move(matches)});
    }
    return out;
}

ProgramEdits ReplaceMatches(const std::vector<FileMatches>& found, std::string_view with)
{
    ProgramEdits edits;
    for (const FileMatches& f : found) {
        FileEdits file{f.key, {}};
        for (const RowMatch& m : f.matches)
            file.edits.push_back({m.row, m.col, m.endCol, std::string(with)});
        edits.push_back(std::move(file));
    }
    return edits;
}

}  // namespace search
