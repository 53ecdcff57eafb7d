#include "navigation/ProgramEdits.h"

#include "platform/Text.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace {

bool Before(const TextEdit& a, const TextEdit& b)
{
    return std::tie(a.row, a.col) < std::tie(b.row, b.col);
}

// The row's text with its edits made; `edits` are the row's, in order.
std::string EditedRow(std::string_view line, const TextEdit* first, const TextEdit* last)
{
    std::string out;
    std::size_t at = 0;
    for (const TextEdit* e = first; e != last; ++e) {
        if (e->col < at || e->endCol > line.size())
            return std::string(line);
        out.append(line.substr(at, e->col - at));
        out += e->text;
        at = e->endCol;
    }
    out.append(line.substr(std::min(at, line.size())));
    return out;
}

}  // namespace

ProgramEdits RenameEdits(const std::vector<lang::RenameEdit>& edits, std::string_view newName)
{
    ProgramEdits out;
    std::unordered_map<std::string, std::size_t> byKey;
    for (const lang::RenameEdit& e : edits) {
        const auto [it, added] = byKey.try_emplace(e.file, out.size());
        if (added)
            out.push_back({e.file, {}});
        out[it->second].edits.push_back({e.row, e.col, e.endCol, std::string(newName)});
    }
    for (FileEdits& f : out)
        std::sort(f.edits.begin(), f.edits.end(), Before);
    return out;
}

std::size_t EditCount(const ProgramEdits& edits)
{
    std::size_t n = 0;
    for (const FileEdits& f : edits)
        n += f.edits.size();
    return n;
}

std::optional<TextSplice> SpliceEdits(std::string_view text, const std::vector<TextEdit>& edits)
{
    if (edits.empty())
        return TextSplice{};
    // Rows are found walking forward once: the edits come in text order.
    std::size_t rowStart = 0, rowEnd = 0;
    std::uint32_t row = 0;
    const auto lineEnd = [&](std::size_t from) {
        const std::size_t end = text.find_first_of("\r\n", from);
        return end == std::string_view::npos ? text.size() : end;
    };
    rowEnd = lineEnd(0);
    const auto seek = [&](std::uint32_t wanted) {
        while (row < wanted) {
            if (rowEnd >= text.size())
                return false;
            rowStart = rowEnd + (text[rowEnd] == '\r' && rowEnd + 1 < text.size() && text[rowEnd + 1] == '\n' ? 2 : 1);
            rowEnd = lineEnd(rowStart);
            ++row;
        }
        return true;
    };
    TextSplice splice;
    std::size_t at = 0;  // where the text not yet copied starts
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const TextEdit& e = edits[i];
        if (e.row < row || !seek(e.row) || e.col > e.endCol || rowStart + e.endCol > rowEnd)
            return std::nullopt;
        const std::size_t from = rowStart + e.col;
        if (i == 0)
            splice.start = at = from;
        else if (from < at)
            return std::nullopt;
        splice.text.append(text.substr(at, from - at));
        splice.text += e.text;
        at = rowStart + e.endCol;
    }
    splice.end = at;
    return splice;
}

std::optional<std::string> ApplyEdits(std::string_view text, const std::vector<TextEdit>& edits)
{
    const std::optional<TextSplice> s = SpliceEdits(text, edits);
    if (!s)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() + s->text.size() - (s->end - s->start));
    out.append(text.substr(0, s->start));
    out += s->text;
    out.append(text.substr(s->end));
    return out;
}

std::uint32_t ColumnAfterEdits(const std::vector<TextEdit>& edits, std::uint32_t row, std::uint32_t col)
{
    std::int64_t moved = col;
    for (const TextEdit& e : edits) {
        if (e.row != row || e.col >= col)
            continue;
        if (e.endCol <= col)
            moved += std::int64_t(e.text.size()) - (std::int64_t(e.endCol) - e.col);
        else
            moved = moved - (col - e.col) + std::int64_t(e.text.size());
    }
    return std::uint32_t(std::max<std::int64_t>(moved, 0));
}

std::vector<EditPreview> PreviewEdits(const ProgramEdits& edits,
                                      const std::function<std::string(std::string_view key, std::uint32_t row)>& lineText)
{
    std::vector<EditPreview> out;
    out.reserve(EditCount(edits));
    for (const FileEdits& f : edits) {
        for (std::size_t i = 0; i < f.edits.size();) {
            // The edits of one row share its before and after.
            std::size_t j = i + 1;
            while (j < f.edits.size() && f.edits[j].row == f.edits[i].row)
                ++j;
            const std::string before = lineText(f.key, f.edits[i].row);
            const std::string after = EditedRow(before, f.edits.data() + i, f.edits.data() + j);
            for (; i < j; ++i)
                out.push_back({f.key, f.edits[i].row, before, after});
        }
    }
    return out;
}

namespace {

std::string TextAt(const ProgramLineText& lineText, std::string_view key, std::uint32_t row, std::uint32_t from,
                   std::uint32_t to)
{
    const std::string line = lineText(key, row);
    return to <= line.size() && from <= to ? line.substr(from, to - from) : std::string();
}

}  // namespace

RenamePlanned NameToRename(lang::Program& program, const ProgramLineText& lineText, std::string_view key,
                           std::uint32_t row, std::uint32_t col)
{
    // What every place must still read before it changes.
    RenamePlanned planned;
    for (const lang::Range& r : program.References(key, row, col))
        if (r.file == key && r.row == row && col >= r.col && col <= r.endCol)
            planned.spelled = TextAt(lineText, key, row, r.col, r.endCol);
    return planned;
}

RenamePlanned PlanRename(lang::Program& program, const ProgramLineText& lineText, std::string_view key,
                         std::uint32_t row, std::uint32_t col, std::string_view newName)
{
    RenamePlanned planned = NameToRename(program, lineText, key, row, col);
    const lang::RenamePlan found = program.Rename(key, row, col, newName);
    if (!found.refusal.empty()) {
        planned.refusal = found.refusal;
        return planned;
    }
    ProgramEdits edits = RenameEdits(found.edits, newName);
    for (const FileEdits& f : edits)
        for (const TextEdit& e : f.edits)
            if (!text::EqualsNoCase(TextAt(lineText, f.key, e.row, e.col, e.endCol), planned.spelled)) {
                planned.changedSince = true;
                return planned;
            }
    planned.edits = std::move(edits);
    return planned;
}
