#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Where the caret stood: its document (by key, and by file when it has one,
// so that a closed document can be opened again), line from 1, column from 0.
struct JumpPlace {
    QString docKey;
    QString path;
    int line = 1;
    int column = 0;
    bool operator==(const JumpPlace&) const = default;
};

// The places jumps went from and to, walked back and forward as a browser
// walks its pages: a new jump forgets what lay forward.
class JumpHistory {
public:
    static constexpr std::size_t kMaxPlaces = 100;

    // A jump from `from` to `to`.
    void Jumped(const JumpPlace& from, const JumpPlace& to);
    // The place before, or after, the current one; `here` is where the caret
    // stands now, which the walk comes back to. Nothing at either end.
    std::optional<JumpPlace> Back(const JumpPlace& here);
    std::optional<JumpPlace> Forward(const JumpPlace& here);
    bool CanGoBack() const { return m_current > 0; }
    bool CanGoForward() const { return m_current + 1 < m_places.size(); }
    // Keeps only the places that can still be reached (a document closed
    // without a file cannot), and the current one.
    void Keep(const std::function<bool(const JumpPlace&)>& reachable);

private:
    std::vector<JumpPlace> m_places;
    std::size_t m_current = 0;  // meaningful while there are places
};
