#include "debugger/Variables.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

std::optional<VarPage> ReadVarPage(const wire::Fields& m)
{
    if (m.size() < 3 || m[0] != "vars")
        return std::nullopt;
    VarPage page{m[1], std::max(0LL, wire::ToInt(m[2], 0)), {}};
    for (std::size_t i = 3; i + 5 <= m.size(); i += 5)
        page.rows.push_back({m[i], m[i + 1], m[i + 2].empty() ? 'x' : m[i + 2][0], m[i + 3], m[i + 4]});
    return page;
}

wire::Fields VarRequest(const std::string& ref, long long start, long long count)
{
    return {"vars", ref, std::to_string(start), std::to_string(count)};
}

std::string FloatText(std::uint32_t bits)
{
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    if (std::isnan(f))
        return "NaN";
    if (std::isinf(f))
        return f < 0 ? "-Infinity" : "Infinity";
    if (f == 0)
        return std::signbit(f) ? "-0.0" : "0.0";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.5e", double(std::fabs(f)));
    // "d.ddddde±XX": the six digits and the exponent.
    std::string digits{buffer[0]};
    digits.append(buffer + 2, 5);
    const int exponent = std::atoi(buffer + 8);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string text = f < 0 ? "-" : "";
    if (exponent <= -4 || exponent >= 8) {
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return text + digits[0] + "." + digits.substr(1) + tail;
    }
    std::string whole;
    std::string fraction;
    if (exponent >= 0) {
        whole = digits.substr(0, std::size_t(exponent) + 1);
        whole.append(std::size_t(exponent) + 1 - std::min(whole.size(), std::size_t(exponent) + 1), '0');
        fraction = digits.size() > whole.size() ? digits.substr(whole.size()) : std::string();
    } else {
        whole = "0";
        fraction = std::string(std::size_t(-exponent - 1), '0') + digits;
    }
    return text + whole + "." + (fraction.empty() ? "0" : fraction);
}

std::string QuotedText(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
                quoted += hex;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

namespace {

// ".player(2,3)" spelled: ".Player(2,3)".
QString SpelledType(const std::string& type, const Spelling& spell)
{
    if (type.empty() || type[0] != '.')
        return QString::fromStdString(type);
    const std::size_t end = type.find_first_of("([", 1);
    const std::string name = type.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    return u'.' + spell(name) + QString::fromStdString(end == std::string::npos ? std::string() : type.substr(end));
}

}  // namespace

ShownVar ShowVar(const VarRow& row, const Spelling& spell, const VarWords& words)
{
    ShownVar shown;
    const bool element = !row.name.empty() && (row.name[0] == '(' || row.name[0] == '[');
    const QString name = element ? QString::fromStdString(row.name) : spell(row.name);
    shown.name = row.kind == 't' ? name : name + SpelledType(row.type, spell);
    shown.expandable = !row.child.empty();
    switch (row.kind) {
    case 'i': shown.value = QString::fromStdString(row.value); break;
    case 'f': shown.value = QString::fromStdString(FloatText(std::uint32_t(std::strtoul(row.value.c_str(), nullptr, 16)))); break;
    case 's': shown.value = QString::fromLatin1(QuotedText(row.value)); break;
    case 'o': shown.value = spell(row.value); break;
    case 'n': shown.value = words.null; break;
    case 'd': shown.value = words.deleted; break;
    case 't': shown.value = words.objects.arg(QString::fromStdString(row.value)); break;
    case 'a': shown.value = words.elements.arg(QString::fromStdString(row.value)); break;
    default: shown.value = words.unreadable;
    }
    return shown;
}

void ValueHistory::NextStop()
{
    m_before = std::move(m_now);
    m_now.clear();
}

bool ValueHistory::Changed(const QString& path, const QString& value)
{
    m_now.insert(path, value);
    const auto it = m_before.constFind(path);
    return it != m_before.constEnd() && *it != value;
}

std::optional<std::vector<WatchStep>> ParseWatch(std::string_view text, std::string* why)
{
    auto fail = [why](const char* reason) -> std::optional<std::vector<WatchStep>> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    std::vector<WatchStep> steps;
    std::size_t i = 0;
    auto blanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    auto name = [&]() -> std::optional<std::string> {
        blanks();
        if (i >= text.size() || !(std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '_'))
            return std::nullopt;
        std::string n;
        while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
            n += char(std::tolower(static_cast<unsigned char>(text[i++])));
        // A type character belongs to the name as written, not to the name.
        if (i < text.size() && (text[i] == '%' || text[i] == '#' || text[i] == '$'))
            ++i;
        return n;
    };
    auto numbers = [&](char close) -> std::optional<std::vector<long long>> {
        std::vector<long long> values;
        for (;;) {
            blanks();
            const std::size_t from = i;
            if (i < text.size() && text[i] == '-')
                ++i;
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
                ++i;
            if (i == from || (i == from + 1 && text[from] == '-'))
                return std::nullopt;
            values.push_back(wire::ToInt(text.substr(from, i - from), 0));
            blanks();
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < text.size() && text[i] == close) {
                ++i;
                return values;
            }
            return std::nullopt;
        }
    };
    const std::optional<std::string> first = name();
    if (!first)
        return fail("a name must come first");
    steps.push_back({WatchStep::Name, *first, {}});
    for (blanks(); i < text.size(); blanks()) {
        const char c = text[i++];
        if (c == '\\') {
            const std::optional<std::string> field = name();
            if (!field)
                return fail("a field name must follow \\");
            steps.push_back({WatchStep::Field, *field, {}});
        } else if (c == '(' || c == '[') {
            const std::optional<std::vector<long long>> values = numbers(c == '(' ? ')' : ']');
            if (!values || (c == '[' && values->size() != 1))
                return fail(c == '(' ? "subscripts are whole numbers apart by commas" : "an index is one whole number");
            steps.push_back({c == '(' ? WatchStep::Subscripts : WatchStep::Index, {}, *values});
        } else {
            return fail("only names, fields and subscripts can be watched");
        }
    }
    return steps;
}

long long FlatIndex(const std::string& type, const std::vector<long long>& subscripts)
{
    const std::size_t open = type.find('(');
    if (open == std::string::npos)
        return -1;
    std::vector<long long> extents;
    for (std::size_t at = open + 1; at < type.size() && type[at] != ')';) {
        std::size_t end = type.find_first_of(",)", at);
        if (end == std::string::npos)
            return -1;
        extents.push_back(wire::ToInt(std::string_view(type).substr(at, end - at), -1) + 1);
        at = end + (type[end] == ',' ? 1 : 0);
        if (type[end] == ')')
            break;
    }
    if (extents.size() != subscripts.size())
        return -1;
    long long flat = 0;
    long long scale = 1;
    for (std::size_t k = 0; k < extents.size(); ++k) {
        if (extents[k] <= 0 || subscripts[k] < 0 || subscripts[k] >= extents[k])
            return -1;
        flat += subscripts[k] * scale;
        scale *= extents[k];
    }
    return flat;
}
