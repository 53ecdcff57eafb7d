// The structure walking of debugger.dll, on byte images laid out as the
// compiler and runtime lay out theirs; anything outside the image cannot be
// read, as memory the system refuses.
#include "debugger/wire/Layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using layout::Addr;

class Image {
public:
    static constexpr Addr kBase = 0x10000;
    bool Readable(Addr at, std::size_t size) const { return at >= kBase && at + size <= kBase + m_bytes.size(); }
    template <typename T>
    bool Read(Addr at, T& out) const
    {
        if (!Readable(at, sizeof(T)))
            return false;
        std::memcpy(&out, &m_bytes[at - kBase], sizeof(T));
        return true;
    }
    Addr Word(Addr at) const
    {
        std::uint32_t v = 0;
        return Read(at, v) ? v : 0;
    }
    // Words one after the other from `at`.
    void Put(Addr at, std::initializer_list<std::uint32_t> words)
    {
        for (const std::uint32_t v : words) {
            std::memcpy(&m_bytes[at - kBase], &v, 4);
            at += 4;
        }
    }
    // A std::string at `at` whose characters lie at `chars`.
    void PutString(Addr at, Addr chars, const std::string& text)
    {
        Put(at + 4, {text.empty() ? 0 : std::uint32_t(chars), std::uint32_t(text.size())});
        std::memcpy(&m_bytes[chars - kBase], text.data(), text.size());
    }

private:
    std::vector<unsigned char> m_bytes = std::vector<unsigned char>(0x1000);
};

constexpr Addr A(Addr offset)
{
    return Image::kBase + offset;
}

}  // namespace

TEST(Layout, StringsAndDeclarationsAreReadWhereTheyAreWhole)
{
    Image m;
    // A DeclSeq of three: "score" (an integer global at offset 0), one whose
    // name runs off the image, and a null.
    m.Put(A(0x100 + 4), {std::uint32_t(A(0x200)), std::uint32_t(A(0x20c))});
    m.Put(A(0x200), {std::uint32_t(A(0x300)), std::uint32_t(A(0x400)), 0});
    m.PutString(A(0x300 + 4), A(0x380), "score");
    m.Put(A(0x300 + 20), {0xabc, 8, 0});
    m.Put(A(0x400 + 8), {0x7fff0000, 5});  // characters far outside
    const std::vector<layout::Decl> decls = layout::Decls(m, A(0x100));
    ASSERT_EQ(decls.size(), 1u);
    EXPECT_EQ(decls[0].name, "score");
    EXPECT_EQ(decls[0].type, 0xabcu);
    EXPECT_EQ(decls[0].kind, 8);

    std::string text = "old";
    m.PutString(A(0x500), A(0x580), "");
    EXPECT_TRUE(layout::Text(m, A(0x500), text));
    EXPECT_EQ(text, "");
    m.Put(A(0x508), {1u << 30});
    EXPECT_FALSE(layout::Text(m, A(0x500), text)) << "a torn length";
    EXPECT_TRUE(layout::Decls(m, A(0x0ff0)).empty()) << "a sequence past the end";
}

TEST(Layout, DimArraysFlattenTheirSubscriptsByTheirScales)
{
    Image m;
    // Dim grid(2, 3): 3 × 4 elements.
    m.Put(A(0x100), {std::uint32_t(A(0x800)), 1, 2, 3, 12});
    layout::DimArray a;
    ASSERT_TRUE(layout::ReadDim(m, A(0x100), a));
    EXPECT_EQ(a.extents, (std::vector<long long>{3, 4}));
    EXPECT_EQ(a.Size(), 12);
    EXPECT_EQ(a.data, A(0x800));
    const std::pair<long long, const char*> names[] = {{0, "(0,0)"}, {7, "(1,2)"}, {11, "(2,3)"}};
    for (const auto& [flat, name] : names)
        EXPECT_EQ(layout::Subscripts(a.extents, flat), name);
    m.Put(A(0x110), {13});
    EXPECT_FALSE(layout::ReadDim(m, A(0x100), a)) << "scales that are no products";
    m.Put(A(0x108), {40});
    EXPECT_FALSE(layout::ReadDim(m, A(0x100), a)) << "too many dimensions";
}

TEST(Layout, ATypesLiveObjectsComeInListOrderWithoutTheDeleted)
{
    Image m;
    const Addr type = A(0x100);
    const Addr head = type + 4;
    const Addr objects[] = {A(0x200), A(0x240), A(0x280)};
    // head -> a -> b (deleted) -> c -> head
    m.Put(head + 4, {std::uint32_t(objects[0])});
    m.Put(objects[0], {std::uint32_t(A(0x600)), std::uint32_t(objects[1])});
    m.Put(objects[1], {0, std::uint32_t(objects[2])});
    m.Put(objects[2], {std::uint32_t(A(0x640)), std::uint32_t(head)});
    std::vector<Addr> seen;
    EXPECT_EQ(layout::EachLive(m, type, [&](Addr o, long long) { seen.push_back(o); }), 2);
    EXPECT_EQ(seen, (std::vector<Addr>{objects[0], objects[2]}));

    // A next pointer torn off into unreadable memory ends the walk.
    m.Put(objects[0] + 4, {0x7fff0000});
    seen.clear();
    EXPECT_EQ(layout::EachLive(m, type, [&](Addr o, long long) { seen.push_back(o); }), 1);
}
