#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

// A few bytes of text held in place: a declared name's key and type, of
// which a large document has millions. Half the size of a std::string:
// up to fifteen bytes in place, longer ones on the heap.
class ShortText {
public:
    ShortText() = default;
    ShortText(std::string_view text) { Set(text); }
    ShortText(const std::string& text) : ShortText(std::string_view(text)) {}
    ShortText(const char* text) : ShortText(std::string_view(text)) {}
    ShortText(const ShortText& other) : ShortText(other.view()) {}
    ShortText(ShortText&& other) noexcept
    {
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.m_bytes[kTag] = 0;
    }
    ShortText& operator=(ShortText other) noexcept
    {
        std::swap(m_bytes, other.m_bytes);
        return *this;
    }
    ~ShortText()
    {
        if (Large())
            delete[] Heap();
    }

    std::string_view view() const
    {
        return Large() ? std::string_view(Heap(), HeapSize()) : std::string_view(m_bytes, std::size_t(m_bytes[kTag]));
    }
    operator std::string_view() const { return view(); }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return view().size(); }
    bool empty() const { return size() == 0; }

    ShortText& operator+=(std::string_view more)
    {
        std::string joined(view());
        joined += more;
        return *this = ShortText(joined);
    }

    friend bool operator==(const ShortText& a, const ShortText& b) { return a.view() == b.view(); }
    friend bool operator==(const ShortText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const ShortText& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const ShortText& a, const char* b) { return a.view() == b; }
    friend std::string operator+(std::string a, const ShortText& b) { return a.append(b.view()); }
    friend std::string operator+(const ShortText& a, std::string_view b) { return a.str().append(b); }
    friend std::ostream& operator<<(std::ostream& out, const ShortText& text) { return out << text.view(); }

private:
    static constexpr std::size_t kTag = 15;
    static constexpr char kLarge = char(0xff);

    bool Large() const { return m_bytes[kTag] == kLarge; }
    char* Heap() const
    {
        char* p;
        std::memcpy(&p, m_bytes, sizeof p);
        return p;
    }
    std::size_t HeapSize() const
    {
        std::uint32_t n;
        std::memcpy(&n, m_bytes + sizeof(char*), sizeof n);
        return n;
    }
    void Set(std::string_view text)
    {
        if (text.size() <= kTag) {
            if (!text.empty())
                std::memcpy(m_bytes, text.data(), text.size());
            m_bytes[kTag] = char(text.size());
            return;
        }
        char* p = new char[text.size()];
        std::memcpy(p, text.data(), text.size());
        const auto n = static_cast<std::uint32_t>(text.size());
        std::memcpy(m_bytes, &p, sizeof p);
        std::memcpy(m_bytes + sizeof p, &n, sizeof n);
        m_bytes[kTag] = kLarge;
    }

    alignas(8) char m_bytes[16] = {};
};
