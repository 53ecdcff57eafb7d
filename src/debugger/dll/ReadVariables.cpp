#include "debugger/dll/ReadVariables.h"

#include "debugger/wire/Layout.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

// The layouts below are those of the compiler and runtime (an MSVC 6 build
// with its own standard library): a std::string keeps its characters' pointer
// at +4 and its length at +8, a std::vector its first and last at +4 and +8.
namespace inspect {
namespace {

using layout::Addr;
using layout::Decl;
using layout::DimArray;

// Decl kinds.
constexpr int kArray = 2, kGlobal = 8, kLocal = 16, kParam = 32;
// Type's virtual functions, each giving the type as that kind or null.
enum Slot { kIntType = 1, kFloatType = 2, kStringType = 3, kArrayType = 5, kStructType = 6, kConstType = 7,
            kVectorType = 8 };
// Module::findSymbol.
constexpr int kFindSymbol = 10;
using layout::kMostElements;

// Reads another structure only where the system says there is readable
// memory: a torn or freed structure gives "unreadable", never a fault.
class Memory {
public:
    bool Readable(Addr at, std::size_t size)
    {
        if (at == 0 || at + size < at)
            return false;
        if (at >= m_from && at + size <= m_to)
            return true;
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(reinterpret_cast<void*>(at), &info, sizeof info) != sizeof info)
            return false;
        const DWORD bad = PAGE_NOACCESS | PAGE_GUARD;
        if (info.State != MEM_COMMIT || (info.Protect & bad) || info.Protect == 0)
            return false;
        m_from = Addr(info.BaseAddress);
        m_to = m_from + info.RegionSize;
        return at + size <= m_to || Readable(m_to, at + size - m_to);
    }
    template <typename T>
    bool Read(Addr at, T& out)
    {
        if (!Readable(at, sizeof(T)))
            return false;
        std::memcpy(&out, reinterpret_cast<const void*>(at), sizeof(T));
        return true;
    }
    Addr Word(Addr at)
    {
        Addr value = 0;
        return Read(at, value) ? value : 0;
    }
    bool Text(Addr stdString, std::string& out) { return layout::Text(*this, stdString, out); }
    // A virtual function of the compiler's that answers with a pointer.
    Addr Call(Addr object, int slot)
    {
        using Fn = Addr(__attribute__((thiscall)) *)(Addr);
        const Addr table = Word(object);
        const Addr fn = table ? Word(table + Addr(slot) * 4) : 0;
        if (!fn || !Readable(fn, 1))
            return 0;
        return reinterpret_cast<Fn>(fn)(object);
    }

private:
    Addr m_from = 0;
    Addr m_to = 0;
};

// What a compiler type is, and its parts.
struct Kind {
    char what = '?';   // i f s o (object) a (Dim array) v (Blitz array) c (constant)
    Addr detail = 0;   // the StructType, VectorType or ConstType
};

class Reader {
public:
    Reader(Addr module, Addr environment) : m_module(module), m_environment(environment) {}

    std::vector<Decl> Decls(Addr seq) { return layout::Decls(m, seq); }

    Kind KindOf(Addr type)
    {
        if (!type || !m.Readable(type, 4))
            return {};
        // The first three answer with a bool: only the low byte counts.
        if (m.Call(type, kIntType) & 0xff)
            return {'i'};
        if (m.Call(type, kFloatType) & 0xff)
            return {'f'};
        if (m.Call(type, kStringType) & 0xff)
            return {'s'};
        if (const Addr s = m.Call(type, kStructType))
            return {'o', s};
        if (const Addr c = m.Call(type, kConstType))
            return {'c', c};
        if (const Addr v = m.Call(type, kVectorType))
            return {'v', v};
        if (const Addr a = m.Call(type, kArrayType))
            return {'a', a};
        return {};
    }

    Addr Symbol(const std::string& name)
    {
        using Fn = bool(__attribute__((thiscall)) *)(Addr, const char*, int*);
        const Addr table = m.Word(m_module);
        const Addr fn = table ? m.Word(table + kFindSymbol * 4) : 0;
        int at = 0;
        if (!fn || !reinterpret_cast<Fn>(fn)(m_module, name.c_str(), &at))
            return 0;
        return Addr(at);
    }

    std::string StructName(Addr structType)
    {
        std::string name;
        m.Text(structType + 4, name);
        return name;
    }

    // The compiler's type of a live object, through the runtime's type it
    // points at (which is the symbol "_t" + the type's name).
    Addr StructOf(Addr object)
    {
        const Addr runtimeType = m.Word(object + 12);
        if (m_structs.empty())
            for (const Decl& t : Decls(m.Word(m_environment + 12))) {
                const Kind k = KindOf(t.type);
                if (k.what == 'o')
                    m_structs[Symbol("_t" + t.name)] = k.detail;
            }
        const auto it = m_structs.find(runtimeType);
        return it == m_structs.end() ? 0 : it->second;
    }

    // One row: name, type, kind, value, child. A Blitz array's variable or
    // field points at its elements.
    void Row(wire::Fields& out, const std::string& name, Addr type, Addr at)
    {
        const Kind k = KindOf(type);
        out.push_back(name);
        switch (k.what) {
        case 'i': {
            std::int32_t v = 0;
            const bool ok = m.Read(at, v);
            Put(out, "%", ok ? "i" : "x", std::to_string(v));
            break;
        }
        case 'f': {
            std::uint32_t bits = 0;
            const bool ok = m.Read(at, bits);
            Put(out, "#", ok ? "f" : "x", Hex(bits));
            break;
        }
        case 's': {
            const Addr str = m.Word(at);
            std::string text;
            const bool ok = m.Readable(at, 4) && (str == 0 || m.Text(str, text));
            Put(out, "$", ok ? "s" : "x", text);
            break;
        }
        case 'o': {
            const std::string type = "." + StructName(k.detail);
            Addr object = 0;
            if (!m.Read(at, object))
                Put(out, type, "x", "");
            else
                Object(out, type, object);
            break;
        }
        case 'v': {
            const std::vector<int> sizes = Sizes(k.detail + 24);
            const int size = sizes.empty() ? 0 : sizes[0];
            const Addr data = m.Word(at);
            Put(out, ElementType(m.Word(k.detail + 20)) + "[" + std::to_string(size - 1) + "]", data ? "a" : "x",
                std::to_string(size), data ? "v" + Hex(data) + ":" + Hex(k.detail) : std::string());
            break;
        }
        default:
            Put(out, "?", "x", "");
        }
    }

    // A constant keeps its value in its type: an integer at +8, a float at
    // +12, a string's characters at +16.
    void Constant(wire::Fields& out, const std::string& name, Addr constType)
    {
        out.push_back(name);
        const char what = KindOf(m.Word(constType + 4)).what;
        std::uint32_t bits = 0;
        std::string text;
        // Read before the value is written out: the order of a call's
        // arguments is the compiler's choice.
        const bool ok = what == 's' ? m.Text(constType + 16, text) : m.Read(constType + (what == 'f' ? 12 : 8), bits);
        const char* kind = !ok ? "x" : what == 's' ? "s" : what == 'f' ? "f" : "i";
        if (what == 's')
            Put(out, "$", kind, text);
        else if (what == 'f')
            Put(out, "#", kind, Hex(bits));
        else
            Put(out, "%", kind, std::to_string(std::int32_t(bits)));
    }

    void Object(wire::Fields& out, const std::string& type, Addr object)
    {
        if (!object) {
            Put(out, type, "n", "");
            return;
        }
        Addr fields = 0;
        if (!m.Read(object, fields))
            Put(out, type, "x", "");
        else if (!fields)
            Put(out, type, "d", "");
        else
            Put(out, type, "o", StructName(StructOf(object)), "o" + Hex(object));
    }

    std::string ElementType(Addr type)
    {
        const Kind k = KindOf(type);
        switch (k.what) {
        case 'i': return "%";
        case 'f': return "#";
        case 's': return "$";
        case 'o': return "." + StructName(k.detail);
        default: return "?";
        }
    }

    std::vector<int> Sizes(Addr vector)
    {
        std::vector<int> sizes;
        const Addr first = m.Word(vector + 4);
        const Addr last = m.Word(vector + 8);
        for (Addr at = first; at && at < last && sizes.size() < 8; at += 4) {
            int size = 0;
            if (!m.Read(at, size))
                break;
            sizes.push_back(size);
        }
        return sizes;
    }

    static void Put(wire::Fields& out, const std::string& type, const char* kind, const std::string& value,
                    const std::string& child = {})
    {
        out.push_back(type);
        out.push_back(kind);
        out.push_back(value);
        out.push_back(child);
    }

    static std::string Hex(Addr value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
        return text;
    }

    Memory m;
    Addr m_module;
    Addr m_environment;
    std::map<Addr, Addr> m_structs;
};

bool ReadDim(Memory& m, Addr at, DimArray& a)
{
    return layout::ReadDim(m, at, a);
}

long long Parse(const std::string& hex)
{
    return std::strtoll(hex.c_str(), nullptr, 16);
}

}  // namespace

std::string Answer(void* module, void* environment, const std::vector<FrameView>& frames, const wire::Fields& request)
{
    Reader r{Addr(module), Addr(environment)};
    const std::string& ref = request[1];
    const long long start = std::max(0LL, wire::ToInt(request[2], 0));
    const long long count = std::max(0LL, wire::ToInt(request[3], 0));
    wire::Fields rows;
    long long total = 0;
    // Adds a row when it is on the page asked for.
    auto page = [&](auto&& add) {
        if (total >= start && total < start + count)
            add();
        ++total;
    };

    if (ref == "g" || ref == "c") {
        for (const Decl& d : r.Decls(r.m.Word(Addr(environment) + 4))) {
            const Kind k = r.KindOf(d.type);
            if (ref == "c" && k.what == 'c') {
                page([&] { r.Constant(rows, d.name, k.detail); });
            } else if (ref == "g" && (d.kind & kGlobal) && k.what != 'c') {
                page([&] { r.Row(rows, d.name, d.type, r.Symbol("_v" + d.name)); });
            } else if (ref == "g" && (d.kind & kArray)) {
                DimArray a;
                const Addr at = r.Symbol("_a" + d.name);
                if (ReadDim(r.m, at, a)) {
                    page([&] {
                        std::string shape = "(";
                        for (std::size_t i = 0; i < a.extents.size(); ++i)
                            shape += (i ? "," : "") + std::to_string(a.extents[i] - 1);
                        rows.push_back(d.name);
                        const Kind array = r.KindOf(d.type);
                        const Addr elementType = array.detail ? r.m.Word(array.detail + 4) : 0;
                        const std::string element = r.ElementType(elementType);
                        const Kind elementKind = r.KindOf(elementType);
                        Reader::Put(rows, element + shape + ")", "a", std::to_string(a.Size()),
                                    "a" + Reader::Hex(at) + ":" + Reader::Hex(elementKind.what == 'o' ? elementKind.detail : 0));
                    });
                }
            }
        }
        // Without Dim arrays the main environment lists no types: the types
        // and their live objects follow the globals.
        if (ref == "g")
            for (const Decl& t : r.Decls(r.m.Word(Addr(environment) + 12))) {
                const Kind k = r.KindOf(t.type);
                const Addr list = r.Symbol("_t" + t.name);
                if (k.what != 'o' || !list)
                    continue;
                const long long live = layout::EachLive(r.m, list, [](Addr, long long) {});
                page([&] {
                    rows.push_back(t.name);
                    Reader::Put(rows, "Type", "t", std::to_string(live),
                                "t" + Reader::Hex(list) + ":" + Reader::Hex(k.detail));
                });
            }
    } else if (ref[0] == 'l') {
        const long long k = wire::ToInt(std::string_view(ref).substr(1));
        if (k >= 0 && std::size_t(k) < frames.size()) {
            const Addr frame = Addr(frames[std::size_t(k)].frame);
            for (const Decl& d : r.Decls(r.m.Word(Addr(frames[std::size_t(k)].env) + 4))) {
                if (!(d.kind & (kLocal | kParam)) || d.name.empty() || !std::isalpha(static_cast<unsigned char>(d.name[0])))
                    continue;
                page([&] { r.Row(rows, d.name, d.type, frame + Addr(std::intptr_t(d.offset))); });
            }
        }
    } else if (ref[0] == 'o') {
        const Addr object = Addr(Parse(ref.substr(1)));
        const Addr fields = r.m.Word(object);
        const Addr type = r.StructOf(object);
        if (fields && type)
            for (const Decl& d : r.Decls(r.m.Word(type + 20)))
                page([&] { r.Row(rows, d.name, d.type, fields + Addr(d.offset)); });
    } else if (ref[0] == 'v' || ref[0] == 'a' || ref[0] == 't') {
        const std::size_t colon = ref.find(':');
        const Addr at = Addr(Parse(ref.substr(1, colon - 1)));
        const Addr detail = colon == std::string::npos ? 0 : Addr(Parse(ref.substr(colon + 1)));
        if (ref[0] == 'v') {
            const std::vector<int> sizes = r.Sizes(detail + 24);
            const Addr element = r.m.Word(detail + 20);
            for (int i = 0; !sizes.empty() && i < sizes[0] && i < kMostElements; ++i)
                page([&] { r.Row(rows, "[" + std::to_string(i) + "]", element, at + Addr(i) * 4); });
        } else if (ref[0] == 'a') {
            DimArray a;
            if (ReadDim(r.m, at, a)) {
                const long long size = a.Size();
                total = size;
                for (long long i = start; i < std::min(size, start + count); ++i) {
                    const Addr cell = a.data + Addr(i) * 4;
                    const std::string name = layout::Subscripts(a.extents, i);
                    if (a.element == 5) {
                        rows.push_back(name);
                        const Addr object = r.m.Word(cell);
                        r.Object(rows, "." + r.StructName(detail), object);
                    } else {
                        // A stand-in type of the element's kind: the compiler's
                        // own is not at hand for an element.
                        rows.push_back(name);
                        if (a.element == 1 || a.element == 2) {
                            std::uint32_t v = 0;
                            const bool ok = r.m.Read(cell, v);
                            Reader::Put(rows, a.element == 1 ? "%" : "#", ok ? (a.element == 1 ? "i" : "f") : "x",
                                        a.element == 1 ? std::to_string(std::int32_t(v)) : Reader::Hex(v));
                        } else {
                            const Addr str = r.m.Word(cell);
                            std::string text;
                            const bool ok = r.m.Readable(cell, 4) && (str == 0 || r.m.Text(str, text));
                            Reader::Put(rows, "$", ok ? "s" : "x", text);
                        }
                    }
                }
            }
        } else {
            // A type's live objects, in list order.
            const std::string type = "." + r.StructName(detail);
            layout::EachLive(r.m, at, [&](Addr o, long long) {
                page([&] {
                    rows.push_back("[" + std::to_string(total) + "]");
                    r.Object(rows, type, o);
                });
            });
        }
    }
    wire::Fields answer{"vars", ref, std::to_string(total)};
    answer.insert(answer.end(), rows.begin(), rows.end());
    return wire::Encode(answer);
}

}  // namespace inspect
