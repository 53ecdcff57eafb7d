// schemes.ini of any content, and a scheme saved under any name the settings
// dialog lets through: what is read is written back and read again the same,
// every scheme under a name that may name one, and a saved scheme comes back
// under its name with its colours.
#include "FuzzCheck.h"
#include "platform/IniFile.h"
#include "startup/ColorSchemes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool Same(const std::vector<ColorScheme>& a, const std::vector<ColorScheme>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].colours != b[i].colours || a[i].builtIn || b[i].builtIn)
            return false;
    return true;
}

std::vector<ColorScheme> Reread(const std::vector<ColorScheme>& schemes)
{
    return UserSchemesOf(IniFile(UserSchemesIni(schemes).Contents()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<ColorScheme> schemes = UserSchemesOf(IniFile(input));
    for (const ColorScheme& s : schemes)
        FUZZ_CHECK(SchemeNameProblem(s.name).isEmpty());
    FUZZ_CHECK(Same(Reread(schemes), schemes));

    // The first bytes as the name typed for a new scheme, which the dialog
    // saves trimmed, after the schemes there are.
    const QString name = QString::fromUtf8(input.substr(0, 24)).trimmed();
    if (!SchemeNameProblem(name).isEmpty())
        return 0;
    std::vector<ColorScheme> added = schemes;
    std::erase_if(added, [&](const ColorScheme& s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; });
    ColorScheme mine = BuiltInSchemes().back();
    mine.name = name;
    mine.builtIn = false;
    mine.colours[std::size_t(size % ColorScheme::kColourCount)] = Color(size * 2654435761u) & 0xFFFFFF;
    added.push_back(mine);
    FUZZ_CHECK(Same(Reread(added), added));
    return 0;
}
