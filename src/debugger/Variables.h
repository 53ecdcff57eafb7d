#pragma once

#include "debugger/wire/Message.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A variable as the DLL reports it: its name (lower case, as the runtime
// keeps it), type ("%", "#", "$", ".player", "%(2,3)", "#[4]", "Type"), kind
// (i f s o: a value; n: Null; d: a deleted object; a: an array; t: a type's
// objects; x: unreadable), value (a float as its bits in hex) and the
// reference that lists its parts, if it has any.
struct VarRow {
    std::string name;
    std::string type;
    char kind = 'x';
    std::string value;
    std::string child;
    bool operator==(const VarRow&) const = default;
};

// One page of a container's parts, and how many it has in all.
struct VarPage {
    std::string ref;
    long long total = 0;
    std::vector<VarRow> rows;
};

// The DLL's answer to a "vars" request; nothing when it is none.
std::optional<VarPage> ReadVarPage(const wire::Fields& answer);
// The request for parts [start, start + count) of a container.
wire::Fields VarRequest(const std::string& ref, long long start, long long count);

// A float as the language prints it: six significant digits, at least one
// after the point ("1.0", "0.333333"), and an exponent of three digits
// outside 0.001 to 99999999 ("1.23457e+008", "1.e-004").
std::string FloatText(std::uint32_t bits);
// A string in double quotes, control characters and quotes escaped.
std::string QuotedText(std::string_view text);

// How the program spells a name it declares, from its lower-case form;
// the name as it is when the program does not say.
using Spelling = std::function<QString(const std::string& lower)>;

// The texts of a row as the Variables pane and a tooltip show them.
struct ShownVar {
    QString name;   // spelled, with its type character or ".Type"
    QString value;
    bool expandable = false;
};
struct VarWords {
    QString null = QStringLiteral("Null");
    QString deleted = QStringLiteral("(deleted)");
    QString unreadable = QStringLiteral("(unreadable)");
    QString objects = QStringLiteral("objects: %1");
    QString elements = QStringLiteral("elements: %1");
};
ShownVar ShowVar(const VarRow& row, const Spelling& spell, const VarWords& words = {});

// The values shown at the last stop, to mark those that changed since.
class ValueHistory {
public:
    // A new stop: what was shown becomes what the next values compare with.
    void NextStop();
    // Notes the value at `path` and says whether it differs from the one
    // the previous stop showed there (a value not shown then is no change).
    bool Changed(const QString& path, const QString& value);

private:
    QHash<QString, QString> m_before;
    QHash<QString, QString> m_now;
};

// A watch or hover expression: a name, then fields (\x), Dim subscripts
// ((3,4)) and Blitz array indexes ([2]) in any order.
struct WatchStep {
    enum Kind { Name, Field, Subscripts, Index } kind = Name;
    std::string name;  // lower case, without its type character
    std::vector<long long> numbers;
    bool operator==(const WatchStep&) const = default;
};
// Nothing, with `why`, when it is no such expression.
std::optional<std::vector<WatchStep>> ParseWatch(std::string_view text, std::string* why = nullptr);
// The flat index of Dim subscripts in an array of type `type` ("%(2,3)":
// indexes up to 2 and 3); -1 when they do not fit it.
long long FlatIndex(const std::string& type, const std::vector<long long>& subscripts);
