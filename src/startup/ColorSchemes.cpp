#include "startup/ColorSchemes.h"

#include "platform/IniFile.h"
#include "platform/Text.h"
#include "startup/Preferences.h"

#include <QDir>

#include <algorithm>

namespace {

// In the order of ColorKeys(): text, back, commands, functions, numbers,
// variables, types, object variables, comments, strings, labels,
// highlighted line, error line, user-library functions, gutter back, gutter
// text, gutter current line, caret, operators.
ColorScheme Scheme(const char* name, std::array<Color, ColorScheme::kColourCount> colours)
{
    return {QString::fromLatin1(name), true, colours};
}

}  // namespace

ColorScheme ColorScheme::Of(const QString& name, const Settings& settings)
{
    ColorScheme scheme{name, false, {}};
    const auto keys = ColorKeys();
    for (std::size_t i = 0; i < kColourCount; ++i)
        scheme.colours[i] = settings.*keys[i].member;
    return scheme;
}

void ColorScheme::ApplyTo(Settings& settings) const
{
    const auto keys = ColorKeys();
    for (std::size_t i = 0; i < kColourCount; ++i)
        settings.*keys[i].member = colours[i];
}

bool ColorScheme::SameColours(const Settings& settings) const
{
    return Of(name, settings).colours == colours;
}

const std::vector<ColorScheme>& BuiltInSchemes()
{
    static const std::vector<ColorScheme> schemes = {
        Scheme("Light",
               {Rgb(33, 37, 41), Rgb(255, 255, 255), Rgb(0, 84, 196), Rgb(128, 0, 170), Rgb(190, 90, 0),
                Rgb(0, 122, 122), Rgb(160, 70, 0), Rgb(0, 110, 110), Rgb(60, 130, 60), Rgb(170, 30, 30),
                Rgb(196, 0, 120), Rgb(255, 244, 176), Rgb(255, 196, 196), Rgb(0, 84, 196), Rgb(243, 243, 243),
                Rgb(140, 140, 140), Rgb(40, 40, 40), Rgb(0, 0, 0), Rgb(90, 90, 90)}),
        // Text well above 7:1 against the background, every token kind above
        // 4.5:1, and line marks dark enough that any token stays readable on them.
        Scheme("Dark",
               {Rgb(212, 215, 221), Rgb(30, 31, 34), Rgb(97, 175, 239), Rgb(198, 146, 234), Rgb(181, 206, 168),
                Rgb(92, 204, 184), Rgb(229, 192, 123), Rgb(86, 182, 194), Rgb(112, 160, 96), Rgb(222, 150, 122),
                Rgb(255, 128, 200), Rgb(72, 66, 32), Rgb(96, 38, 42), Rgb(97, 175, 239), Rgb(30, 31, 34),
                Rgb(104, 109, 119), Rgb(205, 209, 216), Rgb(236, 236, 236), Rgb(171, 178, 191)}),
    };
    return schemes;
}

QString SchemesPath(const QString& configDir)
{
    return QDir(configDir).filePath(QStringLiteral("schemes.ini"));
}

std::vector<ColorScheme> LoadUserSchemes(const QString& path)
{
    return UserSchemesOf(IniFile::Load(path));
}

std::vector<ColorScheme> UserSchemesOf(const IniFile& ini)
{
    const ColorScheme& light = BuiltInSchemes().front();
    const auto keys = ColorKeys();
    std::vector<ColorScheme> schemes;
    for (const std::string& section : ini.Sections()) {
        // Sections differ by their bytes, names by their letters: one name
        // may be written in two encodings, or after a byte-order mark; the
        // blanks around it are not part of it, as in a name typed.
        const QString name = text::FromBytes(section).trimmed();
        const auto taken = [&](const ColorScheme& s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; };
        if (!SchemeNameProblem(name).isEmpty() || std::any_of(schemes.begin(), schemes.end(), taken))
            continue;
        ColorScheme scheme{name, false, light.colours};
        for (std::size_t i = 0; i < ColorScheme::kColourCount; ++i)
            if (const auto colour = ParseColorText(ini.Get(section, keys[i].key, "")))
                scheme.colours[i] = *colour;
        schemes.push_back(std::move(scheme));
    }
    return schemes;
}

bool SaveUserSchemes(const QString& path, const std::vector<ColorScheme>& schemes, QString* error)
{
    return UserSchemesIni(schemes).Save(path, error);
}

IniFile UserSchemesIni(const std::vector<ColorScheme>& schemes)
{
    IniFile ini(
        "; Ovrel's colour schemes of your own, saved from the settings dialog.\r\n"
        "; One section per scheme, with the colour keys of prefs.ini.\r\n");
    const auto keys = ColorKeys();
    for (const ColorScheme& scheme : schemes) {
        const std::string section = text::ToBytes(scheme.name);
        for (std::size_t i = 0; i < ColorScheme::kColourCount; ++i)
            ini.Set(section, keys[i].key, text::ToBytes(ColorToString(scheme.colours[i])));
    }
    return ini;
}

QString SchemeNameProblem(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("schemenoname");
    if (trimmed.contains(u'[') || trimmed.contains(u']'))
        return QStringLiteral("schemebrackets");
    // A line end would cut the section header in two, and a byte-order mark
    // at the start is read as none: the scheme would not come back. Two
    // names that look alike are no better.
    if (std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
        }))
        return QStringLiteral("schemeinvisible");
    const auto& builtIn = BuiltInSchemes();
    if (std::any_of(builtIn.begin(), builtIn.end(),
                    [&](const ColorScheme& s) { return s.name.compare(trimmed, Qt::CaseInsensitive) == 0; }))
        return QStringLiteral("schemebuiltin");
    return {};
}
