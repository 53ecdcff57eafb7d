#include "startup/Preferences.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "startup/Labels.h"

#include <QDir>
#include <QFileInfo>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace {

// Colour keys in the order the file lists and the dialog writes them.
const ColorKey kColorKeys[] = {
    {"TextColor", &Settings::TextColor, "0,0,0"},
    {"BackColor", &Settings::BackColor, "255,255,255"},
    {"CommandsColor", &Settings::CommandsColor, "0,0,0"},
    {"FunctionsColor", &Settings::FunctionsColor, "0,0,0"},
    {"NumbersColor", &Settings::NumbersColor, "0,0,0"},
    {"VarsColor", &Settings::VarsColor, "0,0,0"},
    {"TypeVarsColor", &Settings::TypeVarsColor, "0,0,0"},
    {"ObjectVarsColor", &Settings::ObjectVarsColor, "0,0,0"},
    {"CommentsColor", &Settings::CommentsColor, "0,0,0"},
    {"StringsColor", &Settings::StringsColor, "0,0,0"},
    {"LabelsColor", &Settings::LabelsColor, "0,0,0"},
    {"HighlightedLineColor", &Settings::HighlightedLineColor, "0,0,0"},
    {"ErrorLineColor", &Settings::ErrorLineColor, "0,0,0"},
    {"ExtFunctionsColor", &Settings::ExtFunctionsColor, "0,0,0"},
    {"LineGutterBGColor", &Settings::LineGutterBGColor, "0,0,0"},
    {"LineGutterForeColor", &Settings::LineGutterForeColor, "0,0,0"},
    {"LineGutterCurrentLineColor", &Settings::LineGutterCurrentLineColor, "0,0,0"},
    {"CaretColor", &Settings::CaretColor, "0,0,0"},
    {"OperatorsColor", &Settings::OperatorsColor, "0,0,0"},
};

long long RequireInteger(std::string_view key, const std::string& value, int bits)
{
    std::string_view v = text::TrimSpace(value);
    auto n = ParseSettingInteger(v, bits);
    if (!n) {
        const bool numeric = ParseSettingInteger(v, 64).has_value();
        throw std::runtime_error(std::string(numeric ? "Overflow" : "Type mismatch") + " in prefs.ini: "
                                 + std::string(key) + " = \"" + value + "\"");
    }
    return *n;
}

QString Framed(const std::string& tokens)
{
    return QStringLiteral(" ") + text::FromBytes(text::TrimSpace(tokens)) + QStringLiteral(" ");
}

}  // namespace

std::span<const ColorKey> ColorKeys()
{
    return kColorKeys;
}

std::optional<long long> ParseSettingInteger(std::string_view text, int bits)
{
    text = text::TrimSpace(text);
    if (text.empty())
        return std::nullopt;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            digits = true;
        }
    }
    if (digits && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t expStart = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            ++j;
        if (j > expStart)
            i = j;
    }
    if (!digits || i != text.size())
        return std::nullopt;
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);  // default mode: halves to even
    const double limit = std::ldexp(1.0, bits - 1);
    if (rounded < -limit || rounded > limit - 1)
        return std::nullopt;
    return static_cast<long long>(rounded);
}

std::optional<Color> ParseColorText(std::string_view text, std::string* error)
{
    int parts[3] = {0, 0, 0};
    std::string_view rest = text;
    for (int i = 0; i < 3; ++i) {
        const auto comma = rest.find(',');
        if (i < 2 && comma == std::string_view::npos) {
            if (error)
                *error = "Subscript out of range";
            return std::nullopt;
        }
        const std::string_view piece = rest.substr(0, comma);
        auto n = ParseSettingInteger(piece, 16);
        if (!n) {
            if (error)
                *error = ParseSettingInteger(piece, 64) ? "Overflow" : "Type mismatch";
            return std::nullopt;
        }
        if (*n < 0) {
            if (error)
                *error = "Invalid procedure call or argument";
            return std::nullopt;
        }
        parts[i] = int(std::min<long long>(*n, 255));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return Rgb(parts[0], parts[1], parts[2]);
}

Color ParseColor(const QString& text, const QString& key, const QString& file, const CUILabels& labels,
                 Prompter& prompter)
{
    if (auto c = ParseColorText(text.toStdString()))
        return *c;
    QString message = labels.getValue(QStringLiteral("parseColorError"));
    message.replace(QStringLiteral("#colorString#"), text);
    const QString description =
        QStringLiteral("the setting %1 in %2 must be three whole numbers from 0 to 255 separated by commas "
                       "(red,green,blue), as in 255,128,0; black is used instead")
            .arg(key, file);
    prompter.Tell(message + QStringLiteral(": ") + description, MsgIcon::None);
    return 0;
}

QString ColorToString(Color colour)
{
    return QStringLiteral("%1,%2,%3").arg(RedOf(colour)).arg(GreenOf(colour)).arg(BlueOf(colour));
}

bool LoadSettings(const Layout& layout, Settings& settings, const CUILabels& labels, Prompter& prompter)
{
    const QString path = layout.PrefsPath();
    if (!QFileInfo(path).isFile()) {
        prompter.Tell(QStringLiteral("prefs.ini not found!"), MsgIcon::Critical);
        return false;
    }
    settings = SettingsFromIni(IniFile::Load(path), labels, prompter, QDir::toNativeSeparators(path));
    settings.ProgramDir = layout.programDir;
    return true;
}

Settings SettingsFromIni(const IniFile& ini, const CUILabels& labels, Prompter& prompter, const QString& fileName)
{
    auto get = [&](const char* section, const char* key, const char* def) {
        return ini.Get(section, key, def);
    };
    auto getText = [&](const char* section, const char* key, const char* def) {
        return text::FromBytes(get(section, key, def));
    };

    Settings s;
    s.B3DDir = getText("PATHS", "B3DDir", "");
    s.Commands = getText("PATHS", "Commands", "commands.txt");
    s.AutoUpdateLink = getText("PATHS", "AutoUpdateLink", Settings().AutoUpdateLink.toStdString().c_str());
    for (const ColorKey& c : kColorKeys)
        s.*c.member = ParseColor(getText("IDECOLORS", c.key, c.defaultValue), QString::fromLatin1(c.key), fileName,
                                 labels, prompter);
    s.FontName = getText("IDEFONT", "FontName", "Blitz");
    s.FontSize = double(RequireInteger("FontSize", "0" + get("IDEFONT", "FontSize", "10"), 32));
    s.TabSize = int(RequireInteger("TabSize", get("IDEOPTS", "TabSize", "3"), 16));
    s.AutoIndent = text::ToLower(get("IDEOPTS", "AutoIndent", "True")) == "true";
    s.DebugEnabled = text::ToLower(get("IDEOPTS", "DebugEnabled", "True")) == "true";
    s.LineGutterMode = int(RequireInteger("LineGutterMode", get("IDEOPTS", "LineGutterMode", "2"), 32));
    s.ScrollLines = int(RequireInteger("ScrollLines", get("IDEOPTS", "ScrollLines", "3"), 16));
    s.LiveCheck = text::ToLower(get("IDEOPTS", "LiveCheck", "True")) != "false";
    s.WarnNeverAssigned = text::ToLower(get("IDEOPTS", "WarnNeverAssigned", "True")) != "false";
    s.WarnHidesGlobal = text::ToLower(get("IDEOPTS", "WarnHidesGlobal", "True")) != "false";
    s.WarnMissingReturn = text::ToLower(get("IDEOPTS", "WarnMissingReturn", "True")) != "false";
    s.Delimiters = getText("LANGUAGE", "Delimiters", "\\,()[]{}\xA3$%#@:");
    s.Operators = getText("LANGUAGE", "Operators", "+-/*=<>^!&|");
    s.StringChar = getText("LANGUAGE", "StringChar", "\"");
    s.CommentChar = getText("LANGUAGE", "CommentChar", ";");
    s.IndentMoreTokens = Framed(get("LANGUAGE", "IndentMoreTokens", ""));
    s.IndentLessTokens = Framed(get("LANGUAGE", "IndentLessTokens", ""));
    return s;
}

bool WriteSettings(const Layout& layout, const Settings& s, QString* error)
{
    const QString path = layout.PrefsPath();
    std::optional<IniFile> loaded = IniFile::LoadForUpdate(path, error);
    if (!loaded)
        return false;
    IniFile& ini = *loaded;
    auto set = [&](const char* section, const char* key, const QString& value) {
        ini.Set(section, key, text::ToBytes(value));
    };
    set("PATHS", "B3dDir", s.B3DDir);
    set("PATHS", "Commands", s.Commands);
    for (const ColorKey& c : kColorKeys)
        set("IDECOLORS", c.key, ColorToString(s.*c.member));
    set("IDEFONT", "FontName", s.FontName);
    set("IDEFONT", "FontSize", QString::number(static_cast<long long>(s.FontSize)));
    set("IDEOPTS", "TabSize", QString::number(s.TabSize));
    set("IDEOPTS", "LineGutterMode", QString::number(s.LineGutterMode));
    set("IDEOPTS", "ScrollLines", QString::number(s.ScrollLines));
    set("IDEOPTS", "LiveCheck", s.LiveCheck ? QStringLiteral("True") : QStringLiteral("False"));
    set("IDEOPTS", "WarnNeverAssigned", s.WarnNeverAssigned ? QStringLiteral("True") : QStringLiteral("False"));
    set("IDEOPTS", "WarnHidesGlobal", s.WarnHidesGlobal ? QStringLiteral("True") : QStringLiteral("False"));
    set("IDEOPTS", "WarnMissingReturn", s.WarnMissingReturn ? QStringLiteral("True") : QStringLiteral("False"));
    return ini.Save(path, error);
}

bool SaveIdeOptions(const Layout& layout, bool autoIndent, bool debugEnabled, QString* error)
{
    const QString path = layout.PrefsPath();
    std::optional<IniFile> ini = IniFile::LoadForUpdate(path, error);
    if (!ini)
        return false;
    ini->Set("IDEOPTS", "AutoIndent", autoIndent ? "True" : "False");
    ini->Set("IDEOPTS", "DebugEnabled", debugEnabled ? "True" : "False");
    return ini->Save(path, error);
}
