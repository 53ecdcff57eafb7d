#include "navigation/JumpHistory.h"

void JumpHistory::Jumped(const JumpPlace& from, const JumpPlace& to)
{
    if (!m_places.empty())
        m_places.resize(m_current + 1);
    // Where the caret was may have moved since it arrived: the place is
    // where it left from.
    if (m_places.empty())
        m_places.push_back(from);
    else
        m_places.back() = from;
    if (!(to == from))
        m_places.push_back(to);
    if (m_places.size() > kMaxPlaces)
        m_places.erase(m_places.begin(), m_places.begin() + std::ptrdiff_t(m_places.size() - kMaxPlaces));
    m_current = m_places.size() - 1;
}

std::optional<JumpPlace> JumpHistory::Back(const JumpPlace& here)
{
    if (!CanGoBack())
        return std::nullopt;
    m_places[m_current] = here;
    return m_places[--m_current];
}

std::optional<JumpPlace> JumpHistory::Forward(const JumpPlace& here)
{
    if (!CanGoForward())
        return std::nullopt;
    m_places[m_current] = here;
    return m_places[++m_current];
}

void JumpHistory::Keep(const std::function<bool(const JumpPlace&)>& reachable)
{
    std::vector<JumpPlace> kept;
    std::size_t current = 0;
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        // The current place stays: the next step back or forward puts where
        // the caret is in its stead.
        if (i != m_current && !reachable(m_places[i]))
            continue;
        if (i <= m_current)
            current = kept.size();
        kept.push_back(m_places[i]);
    }
    m_places = std::move(kept);
    m_current = current;
}
