#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How the compiler's and the runtime's structures lie in memory (an MSVC 6
// build with its own standard library: a std::string keeps its characters'
// pointer at +4 and its length at +8, a std::vector its first and last at +4
// and +8; pointers are 4 bytes). Plain C++ over any memory `M` that offers
// Read(at, value) and Word(at) and says no for what it cannot read, so that
// the DLL walks the living program and the tests walk byte images.
namespace layout {

using Addr = std::uintptr_t;

constexpr std::size_t kMostText = 1 << 20;
constexpr long long kMostElements = 1 << 28;

template <class M>
bool Text(M& m, Addr stdString, std::string& out)
{
    const Addr chars = m.Word(stdString + 4);
    std::uint32_t length = 0;
    if (!m.Read(stdString + 8, length) || length > kMostText)
        return false;
    out.clear();
    if (chars == 0 || length == 0)
        return true;
    out.resize(length);
    for (std::uint32_t i = 0; i < length; ++i)
        if (!m.Read(chars + i, out[i]))
            return false;
    return true;
}

// A declaration of the compiler's: name, type, kind bits and offset.
struct Decl {
    std::string name;
    Addr type = 0;
    int kind = 0;
    int offset = 0;
};

// The declarations of a DeclSeq; one that cannot be read is left out.
template <class M>
std::vector<Decl> Decls(M& m, Addr seq)
{
    std::vector<Decl> decls;
    const Addr first = seq ? m.Word(seq + 4) : 0;
    const Addr last = seq ? m.Word(seq + 8) : 0;
    if (!first || last < first || (last - first) / 4 > 100000)
        return decls;
    for (Addr at = first; at < last; at += 4) {
        const Addr d = m.Word(at);
        Decl decl;
        if (!d || !Text(m, d + 4, decl.name) || !m.Read(d + 24, decl.kind) || !m.Read(d + 28, decl.offset))
            continue;
        decl.type = m.Word(d + 20);
        decls.push_back(std::move(decl));
    }
    return decls;
}

// A Dim array: its data, element kind (1 int, 2 float, 3 string, 5 object)
// and the extent of each dimension (the declared size + 1), from the scales
// of its flat index at +12.
struct DimArray {
    Addr data = 0;
    int element = 0;
    std::vector<long long> extents;
    long long Size() const
    {
        long long size = extents.empty() ? 0 : 1;
        for (const long long e : extents)
            size *= e;
        return size;
    }
};

template <class M>
bool ReadDim(M& m, Addr at, DimArray& a)
{
    int dims = 0;
    a.data = m.Word(at);
    if (!m.Read(at + 4, a.element) || !m.Read(at + 8, dims) || dims < 1 || dims > 8)
        return false;
    a.extents.clear();
    long long before = 1;
    for (int k = 0; k < dims; ++k) {
        std::int32_t scale = 0;
        if (!m.Read(at + 12 + Addr(k) * 4, scale) || scale < before || scale > kMostElements || scale % before)
            return false;
        a.extents.push_back(scale / before);
        before = scale;
    }
    return true;
}

// "(i,j)" of a flat index.
inline std::string Subscripts(const std::vector<long long>& extents, long long flat)
{
    std::string name = "(";
    for (std::size_t k = 0; k < extents.size(); ++k) {
        name += (k ? "," : "") + std::to_string(extents[k] ? flat % extents[k] : 0);
        flat = extents[k] ? flat / extents[k] : 0;
    }
    return name + ")";
}

// Calls `visit` for each live object of a type's list, in list order, and
// says how many there are: the list's head lies at +4 of the type, each
// object's next at +4; a deleted object has no fields (+0).
template <class M, class F>
long long EachLive(M& m, Addr type, F&& visit)
{
    long long live = 0;
    long long seen = 0;
    for (Addr o = m.Word(type + 8); o && o != type + 4 && seen < kMostElements; o = m.Word(o + 4), ++seen) {
        if (!m.Word(o))
            continue;
        visit(o, live);
        ++live;
    }
    return live;
}

}  // namespace layout
