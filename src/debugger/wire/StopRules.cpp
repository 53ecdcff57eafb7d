#include "debugger/wire/StopRules.h"

namespace wire {

std::string FileKey(std::string_view compilerPath)
{
    std::string key;
    std::string_view rest = compilerPath;
    if (rest.size() >= 2 && (rest[0] == 'z' || rest[0] == 'Z') && rest[1] == ':')
        rest.remove_prefix(2);
    key.reserve(rest.size());
    for (const char c : rest)
        key += c == '\\' ? '/' : (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return key;
}

void BreakpointTable::Set(const std::string& file, int row, bool on)
{
    if (on) {
        m_rows[file].insert(row);
        return;
    }
    const auto it = m_rows.find(file);
    if (it == m_rows.end())
        return;
    it->second.erase(row);
    if (it->second.empty())
        m_rows.erase(it);
}

bool BreakpointTable::Has(const std::string& file, int row) const
{
    const auto it = m_rows.find(file);
    return it != m_rows.end() && it->second.count(row) > 0;
}

std::vector<char> BreakpointTable::RowFlags(const std::string& file) const
{
    std::vector<char> flags;
    const auto it = m_rows.find(file);
    if (it == m_rows.end() || it->second.empty())
        return flags;
    flags.resize(std::size_t(*it->second.rbegin()) + 1);
    for (const int row : it->second)
        if (row >= 0)
            flags[std::size_t(row)] = 1;
    return flags;
}

void StopRule::Resume(Step step, const Place& from)
{
    m_step = step;
    m_from = from;
    switch (step) {
    case Step::None: m_level = 0; break;
    case Step::Over: m_level = from.depth; break;
    case Step::Into: m_level = from.depth + 1; break;
    case Step::Out: m_level = from.depth - 1; break;
    }
}

bool StopRule::Reached(const Place& at, bool onBreakpointRow)
{
    const bool sameLine = at.Continues(m_last);
    m_last = at;
    if (onBreakpointRow && !sameLine) {
        m_step = Step::None;
        return true;
    }
    if (m_step == Step::None || at.depth > m_level)
        return false;
    // The rest of the line the step began on is part of it.
    if (at.Continues(m_from))
        return false;
    m_step = Step::None;
    return true;
}

}  // namespace wire
